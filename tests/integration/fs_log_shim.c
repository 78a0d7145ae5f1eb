/* Logs the file-system calls of a program, for the crash-consistency test: loaded with
 * LD_PRELOAD, it appends one line per successful call to the file KEST_FS_LOG names:
 *
 *   open    FD TYPE FLAGS PATH    TYPE f (file), d (folder), c (device), p (pipe), o (other);
 *                                 FLAGS in hex (O_APPEND, O_CREAT, O_TRUNC of this system)
 *   fopen   FD TYPE MODE PATH
 *   write   FD HEX                also fwrite, with the bytes stdio took
 *   pwrite  FD OFFSET HEX
 *   fflush  FD                    also fsync, fdatasync, close, fclose
 *   ftruncate FD LENGTH
 *   rename  FROM TO
 *   unlink  PATH                  also remove
 *
 * Fields are separated by tabs, paths are absolute. Calls that fail are not logged. Each
 * line goes out in one write of the log's own descriptor, which is never logged. */
#define _GNU_SOURCE
#include <dlfcn.h>
#include <errno.h>
#include <fcntl.h>
#include <stdarg.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <sys/types.h>
#include <unistd.h>

static int log_fd = -1;

static void* real(const char* name) { return dlsym(RTLD_NEXT, name); }

struct line {
    char* text;
    size_t used, size;
};

static void put(struct line* l, const char* s, size_t n) {
    if (!l->text) return;
    if (l->used + n + 1 > l->size) {
        size_t size = (l->used + n + 1) * 2;
        char* grown = realloc(l->text, size);
        if (!grown) {
            free(l->text);
            l->text = NULL;
            return;
        }
        l->text = grown;
        l->size = size;
    }
    memcpy(l->text + l->used, s, n);
    l->used += n;
}

static void field(struct line* l, const char* s) {
    put(l, "\t", 1);
    put(l, s, strlen(s));
}

static void number(struct line* l, long long value) {
    char text[32];
    snprintf(text, sizeof text, "%lld", value);
    field(l, text);
}

static void hex(struct line* l, const void* bytes, size_t n) {
    static const char digits[] = "0123456789abcdef";
    put(l, "\t", 1);
    for (size_t i = 0; i < n; ++i) {
        const unsigned char b = ((const unsigned char*)bytes)[i];
        const char pair[2] = {digits[b >> 4], digits[b & 15]};
        put(l, pair, 2);
    }
}

/* An absolute path: relative ones are taken from the folder a descriptor names, or from
 * the working folder. */
static void path_field(struct line* l, int dirfd, const char* path) {
    char base[4096] = "";
    if (path[0] != '/') {
        if (dirfd == AT_FDCWD) {
            if (!getcwd(base, sizeof base)) base[0] = 0;
        } else {
            char link[64];
            snprintf(link, sizeof link, "/proc/self/fd/%d", dirfd);
            const ssize_t n = readlink(link, base, sizeof base - 1);
            base[n > 0 ? n : 0] = 0;
        }
        strcat(base, "/");
    }
    put(l, "\t", 1);
    put(l, base, strlen(base));
    put(l, path, strlen(path));
}

static struct line start(const char* kind) {
    struct line l = {malloc(256), 0, 256};
    put(&l, kind, strlen(kind));
    return l;
}

static void finish(struct line* l) {
    put(l, "\n", 1);
    if (!l->text) return;
    if (log_fd < 0) {
        const char* name = getenv("KEST_FS_LOG");
        if (name) log_fd = (int)syscall(SYS_openat, AT_FDCWD, name, O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC, 0644);
        if (log_fd >= 0 && log_fd < 100) {
            /* Far from the descriptors the program uses, so that it never closes it. */
            const int moved = fcntl(log_fd, F_DUPFD_CLOEXEC, 900);
            if (moved >= 0) {
                syscall(SYS_close, log_fd);
                log_fd = moved;
            }
        }
    }
    if (log_fd >= 0) syscall(SYS_write, log_fd, l->text, l->used);
    free(l->text);
}

static const char* type_of(int fd) {
    struct stat st;
    if (fstat(fd, &st) != 0) return "o";
    if (S_ISREG(st.st_mode)) return "f";
    if (S_ISDIR(st.st_mode)) return "d";
    if (S_ISCHR(st.st_mode)) return "c";
    if (S_ISFIFO(st.st_mode)) return "p";
    return "o";
}

static void log_open(int fd, int dirfd, const char* path, int flags) {
    if (fd < 0 || fd == log_fd) return;
    const int saved = errno;
    struct line l = start("open");
    number(&l, fd);
    field(&l, type_of(fd));
    char text[16];
    snprintf(text, sizeof text, "%x", (unsigned)flags);
    field(&l, text);
    path_field(&l, dirfd, path);
    finish(&l);
    errno = saved;
}

static void log_fd_call(const char* kind, int fd) {
    if (fd < 0 || fd == log_fd) return;
    const int saved = errno;
    struct line l = start(kind);
    number(&l, fd);
    finish(&l);
    errno = saved;
}

static void log_write(const char* kind, int fd, long long offset, const void* bytes, ssize_t n) {
    if (fd < 0 || fd == log_fd || n < 0) return;
    const int saved = errno;
    struct line l = start(kind);
    number(&l, fd);
    if (offset >= 0) number(&l, offset);
    hex(&l, bytes, (size_t)n);
    finish(&l);
    errno = saved;
}

static void log_paths(const char* kind, int fromfd, const char* from, int tofd, const char* to) {
    const int saved = errno;
    struct line l = start(kind);
    path_field(&l, fromfd, from);
    if (to) path_field(&l, tofd, to);
    finish(&l);
    errno = saved;
}

#define MODE_ARG(flags)                                             \
    mode_t mode = 0;                                                \
    if (((flags) & O_CREAT) || ((flags) & O_TMPFILE) == O_TMPFILE) { \
        va_list args;                                               \
        va_start(args, flags);                                      \
        mode = va_arg(args, mode_t);                                \
        va_end(args);                                               \
    }

int open(const char* path, int flags, ...) {
    MODE_ARG(flags)
    static int (*next)(const char*, int, ...);
    if (!next) next = real("open");
    const int fd = next(path, flags, mode);
    log_open(fd, AT_FDCWD, path, flags);
    return fd;
}

int open64(const char* path, int flags, ...) {
    MODE_ARG(flags)
    static int (*next)(const char*, int, ...);
    if (!next) next = real("open64");
    const int fd = next(path, flags, mode);
    log_open(fd, AT_FDCWD, path, flags);
    return fd;
}

int openat(int dirfd, const char* path, int flags, ...) {
    MODE_ARG(flags)
    static int (*next)(int, const char*, int, ...);
    if (!next) next = real("openat");
    const int fd = next(dirfd, path, flags, mode);
    log_open(fd, dirfd, path, flags);
    return fd;
}

int openat64(int dirfd, const char* path, int flags, ...) {
    MODE_ARG(flags)
    static int (*next)(int, const char*, int, ...);
    if (!next) next = real("openat64");
    const int fd = next(dirfd, path, flags, mode);
    log_open(fd, dirfd, path, flags);
    return fd;
}

int creat(const char* path, mode_t mode) { return open(path, O_WRONLY | O_CREAT | O_TRUNC, mode); }
int creat64(const char* path, mode_t mode) { return open(path, O_WRONLY | O_CREAT | O_TRUNC, mode); }

static FILE* log_fopen(FILE* file, const char* path, const char* mode) {
    if (!file) return file;
    const int saved = errno;
    struct line l = start("fopen");
    number(&l, fileno(file));
    field(&l, type_of(fileno(file)));
    field(&l, mode);
    path_field(&l, AT_FDCWD, path);
    finish(&l);
    errno = saved;
    return file;
}

FILE* fopen(const char* path, const char* mode) {
    static FILE* (*next)(const char*, const char*);
    if (!next) next = real("fopen");
    return log_fopen(next(path, mode), path, mode);
}

FILE* fopen64(const char* path, const char* mode) {
    static FILE* (*next)(const char*, const char*);
    if (!next) next = real("fopen64");
    return log_fopen(next(path, mode), path, mode);
}

ssize_t write(int fd, const void* bytes, size_t n) {
    static ssize_t (*next)(int, const void*, size_t);
    if (!next) next = real("write");
    const ssize_t done = next(fd, bytes, n);
    log_write("write", fd, -1, bytes, done);
    return done;
}

ssize_t pwrite(int fd, const void* bytes, size_t n, off_t offset) {
    static ssize_t (*next)(int, const void*, size_t, off_t);
    if (!next) next = real("pwrite");
    const ssize_t done = next(fd, bytes, n, offset);
    log_write("pwrite", fd, (long long)offset, bytes, done);
    return done;
}

ssize_t pwrite64(int fd, const void* bytes, size_t n, off_t offset) {
    static ssize_t (*next)(int, const void*, size_t, off_t);
    if (!next) next = real("pwrite64");
    const ssize_t done = next(fd, bytes, n, offset);
    log_write("pwrite", fd, (long long)offset, bytes, done);
    return done;
}

size_t fwrite(const void* bytes, size_t size, size_t count, FILE* file) {
    static size_t (*next)(const void*, size_t, size_t, FILE*);
    if (!next) next = real("fwrite");
    const size_t done = next(bytes, size, count, file);
    log_write("fwrite", fileno(file), -1, bytes, (ssize_t)(done * size));
    return done;
}

int fflush(FILE* file) {
    static int (*next)(FILE*);
    if (!next) next = real("fflush");
    const int result = next(file);
    if (result == 0 && file) log_fd_call("fflush", fileno(file));
    return result;
}

int fclose(FILE* file) {
    static int (*next)(FILE*);
    if (!next) next = real("fclose");
    const int fd = fileno(file);
    const int result = next(file);
    log_fd_call("fclose", fd);  /* the descriptor is gone even when the close failed */
    return result;
}

int fsync(int fd) {
    static int (*next)(int);
    if (!next) next = real("fsync");
    const int result = next(fd);
    if (result == 0) log_fd_call("fsync", fd);
    return result;
}

int fdatasync(int fd) {
    static int (*next)(int);
    if (!next) next = real("fdatasync");
    const int result = next(fd);
    if (result == 0) log_fd_call("fdatasync", fd);
    return result;
}

int close(int fd) {
    static int (*next)(int);
    if (!next) next = real("close");
    if (fd == log_fd) {
        errno = EBADF;
        return -1;
    }
    const int result = next(fd);
    log_fd_call("close", fd);
    return result;
}

int ftruncate(int fd, off_t length) {
    static int (*next)(int, off_t);
    if (!next) next = real("ftruncate");
    const int result = next(fd, length);
    if (result == 0) {
        struct line l = start("ftruncate");
        number(&l, fd);
        number(&l, (long long)length);
        finish(&l);
    }
    return result;
}

int rename(const char* from, const char* to) {
    static int (*next)(const char*, const char*);
    if (!next) next = real("rename");
    const int result = next(from, to);
    if (result == 0) log_paths("rename", AT_FDCWD, from, AT_FDCWD, to);
    return result;
}

int renameat(int fromfd, const char* from, int tofd, const char* to) {
    static int (*next)(int, const char*, int, const char*);
    if (!next) next = real("renameat");
    const int result = next(fromfd, from, tofd, to);
    if (result == 0) log_paths("rename", fromfd, from, tofd, to);
    return result;
}

int renameat2(int fromfd, const char* from, int tofd, const char* to, unsigned flags) {
    static int (*next)(int, const char*, int, const char*, unsigned);
    if (!next) next = real("renameat2");
    const int result = next(fromfd, from, tofd, to, flags);
    if (result == 0) log_paths("rename", fromfd, from, tofd, to);
    return result;
}

int unlink(const char* path) {
    static int (*next)(const char*);
    if (!next) next = real("unlink");
    const int result = next(path);
    if (result == 0) log_paths("unlink", AT_FDCWD, path, AT_FDCWD, NULL);
    return result;
}

int unlinkat(int dirfd, const char* path, int flags) {
    static int (*next)(int, const char*, int);
    if (!next) next = real("unlinkat");
    const int result = next(dirfd, path, flags);
    if (result == 0) log_paths("unlink", dirfd, path, AT_FDCWD, NULL);
    return result;
}

int remove(const char* path) {
    static int (*next)(const char*);
    if (!next) next = real("remove");
    const int result = next(path);
    if (result == 0) log_paths("unlink", AT_FDCWD, path, AT_FDCWD, NULL);
    return result;
}
