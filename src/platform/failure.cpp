#include "platform/failure.h"

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

} // namespace kestro
