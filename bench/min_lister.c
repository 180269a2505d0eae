/* The yardstick for listing with facts: a minimal lister that reads each
 * folder with readdir on an openat descriptor and calls fstatat once per
 * file, writing "folder/<TAB>name<TAB>size Byte<TAB>modified" per file with
 * the size grouped by thousands and the time in local time, as kestro
 * --path --size --modified does. Hidden folders are not walked, links to
 * folders are not followed; no sorting.
 *
 *     min_lister FOLDER
 */
#define _GNU_SOURCE
#include <dirent.h>
#include <fcntl.h>
#include <stdio.h>
#include <string.h>
#include <sys/stat.h>
#include <time.h>
#include <unistd.h>

static void group(char* out, long long n) { /* zero has no digits, as in kestro */
    char digits[32];
    int len = n ? snprintf(digits, sizeof digits, "%lld", n) : 0, o = 0;
    for (int i = 0; i < len; ++i) {
        if (i > 0 && (len - i) % 3 == 0)
            out[o++] = ',';
        out[o++] = digits[i];
    }
    out[o] = 0;
}

static void walk(int fd, char* path, size_t length) {
    DIR* dir = fdopendir(fd);
    if (!dir)
        return;
    struct dirent* e;
    while ((e = readdir(dir))) {
        if (e->d_name[0] == '.' && (!e->d_name[1] || (e->d_name[1] == '.' && !e->d_name[2])))
            continue;
        struct stat st;
        if (fstatat(fd, e->d_name, &st, AT_SYMLINK_NOFOLLOW) != 0)
            continue;
        if (S_ISDIR(st.st_mode)) {
            if (e->d_name[0] == '.')
                continue;
            size_t n = strlen(e->d_name);
            int child = openat(fd, e->d_name, O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
            if (child < 0)
                continue;
            memcpy(path + length, e->d_name, n);
            path[length + n] = '/';
            path[length + n + 1] = 0;
            walk(child, path, length + n + 1);
            path[length] = 0;
            continue;
        }
        if (S_ISLNK(st.st_mode) && fstatat(fd, e->d_name, &st, 0) == 0 && S_ISDIR(st.st_mode))
            continue;
        char size[40], when[32];
        struct tm local;
        group(size, (long long)st.st_size);
        localtime_r(&st.st_mtime, &local);
        strftime(when, sizeof when, "%Y/%m/%d %H:%M:%S", &local);
        printf("%s\t%s\t%s Byte\t%s\n", path, e->d_name, size, when);
    }
    closedir(dir);
}

int main(int argc, char** argv) {
    static char path[1 << 16];
    if (argc != 2)
        return 2;
    snprintf(path, sizeof path, "%s%s", argv[1], argv[1][strlen(argv[1]) - 1] == '/' ? "" : "/");
    int fd = open(argv[1], O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        return 1;
    walk(fd, path, strlen(path));
    return 0;
}
