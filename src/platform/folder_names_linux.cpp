#include "platform/folder_names.h"

#include <cerrno>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>

namespace kestro {

Result<std::vector<std::string>> listFolderNames(const std::string& folder) {
    DIR* stream = ::opendir(folder.c_str());
    if (!stream)
        return failureFromErrno(errno, folder, true);
    const int fd = ::dirfd(stream);
    std::vector<std::string> names;
    for (;;) {
        errno = 0;
        const dirent* entry = ::readdir(stream);
        if (!entry)
            break;
        const char* name = entry->d_name;
        if (name[0] == '.' && (name[1] == 0 || (name[1] == '.' && name[2] == 0)))
            continue;
        bool isFolder = entry->d_type == DT_DIR;
        // Links, and entries whose kind the file system does not tell, are
        // asked about what they lead to.
        if (entry->d_type == DT_LNK || entry->d_type == DT_UNKNOWN) {
            struct stat st {};
            isFolder = ::fstatat(fd, name, &st, 0) == 0 && S_ISDIR(st.st_mode);
        }
        if (isFolder)
            names.emplace_back(name);
    }
    const int error = errno;
    ::closedir(stream);
    if (error != 0)
        return failureFromErrno(error, folder, true);
    return names;
}

} // namespace kestro
