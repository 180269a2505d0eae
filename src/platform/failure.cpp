#include "platform/failure.h"

#include <cerrno>

namespace kestro {

std::string failureText(int number) {
    switch (number) {
    case failure::Overflow:
        return "オーバーフローしました。";
    case failure::OutOfMemory:
        return "メモリが不足しています。";
    case failure::BadFileName:
        return "ファイル名が不正です。";
    case failure::FileNotFound:
        return "ファイルが見つかりません。";
    case failure::DiskFull:
        return "ディスクの空き領域が不足しています。";
    case failure::DeviceUnavailable:
        return "デバイスが使用できません。";
    case failure::PermissionDenied:
        return "アクセスが拒否されました。";
    case failure::PathFileAccess:
        return "パスまたはファイルにアクセスできません。";
    case failure::PathNotFound:
        return "パスが見つかりません。";
    case failure::DialogCancelled:
        return "キャンセルされました。";
    default:
        return "アプリケーション定義またはオブジェクト定義のエラーです。";
    }
}

Failure makeFailure(int number, const std::string& path) {
    Failure result;
    result.number = number;
    result.description = failureText(number);
    if (!path.empty())
        result.description += " (" + path + ")";
    return result;
}

Failure failureFromErrno(int error, const std::string& path, bool pathIsFolder) {
    if (std::optional<Failure> own = systemFailureFromErrno(error, path, pathIsFolder))
        return *std::move(own);
    switch (error) {
    case ENOENT:
        return makeFailure(pathIsFolder ? failure::PathNotFound : failure::FileNotFound, path);
    case ENOTDIR:
        return makeFailure(failure::PathNotFound, path);
    case EACCES:
    case EPERM:
    case EROFS:
        return makeFailure(failure::PermissionDenied, path);
    case EIO:
    case ENXIO:
    case ENODEV:
        return makeFailure(failure::DeviceUnavailable, path);
    case ENOSPC:
        return makeFailure(failure::DiskFull, path);
    case ENAMETOOLONG:
    case EINVAL:
        return makeFailure(failure::BadFileName, path);
    default:
        return makeFailure(failure::PathFileAccess, path);
    }
}

} // namespace kestro
