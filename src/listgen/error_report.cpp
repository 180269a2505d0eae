#include "listgen/error_report.h"

namespace kestro {

std::string reportText(const Failure& failure) {
    if (failure.number == 0)
        return {};
    return "ｴﾗｰ番号 " + std::to_string(failure.number) + " でｴﾗｰが発生しました。\r" +
           failure.description;
}

bool isSilentFailure(Command command, int number) {
    switch (command) {
    case Command::Create:
        return number == failure::BadFileName || number == failure::FileNotFound;
    case Command::DriveChange:
        return number == failure::DeviceUnavailable;
    case Command::StartUp:
        return number == failure::DeviceUnavailable || number == failure::PathNotFound;
    case Command::OpenOrSaveAs:
        return number == failure::DialogCancelled;
    case Command::Save:
    case Command::VersionDialog:
        return false;
    }
    return false;
}

} // namespace kestro
