#include "net/socket_probe.h"

#include <QtGlobal>

#if defined(Q_OS_WIN)
#include <winsock2.h>
#elif defined(Q_OS_UNIX)
#include <sys/ioctl.h>
#include <sys/socket.h>
#endif

namespace cellwatch::net {

int bytesWaiting(int fd) {
#if defined(Q_OS_WIN)
    u_long waiting = 0;
    return ::ioctlsocket(static_cast<SOCKET>(fd), FIONREAD, &waiting) == 0
               ? static_cast<int>(waiting)
               : 0;
#elif defined(Q_OS_UNIX)
    int waiting = 0;
    return ::ioctl(fd, FIONREAD, &waiting) == 0 ? waiting : 0;
#else
    Q_UNUSED(fd);
    return 0;      // not on this system: one read per notice
#endif
}

int connectError(int fd) {
    int error = 0;
#if defined(Q_OS_WIN)
    int size = sizeof error;
    if (::getsockopt(static_cast<SOCKET>(fd), SOL_SOCKET, SO_ERROR, reinterpret_cast<char*>(&error),
                     &size) != 0) {
        return 0;
    }
#elif defined(Q_OS_UNIX)
    socklen_t size = sizeof error;
    if (::getsockopt(fd, SOL_SOCKET, SO_ERROR, &error, &size) != 0) {
        return 0;
    }
#else
    Q_UNUSED(fd);  // not on this system: the library finds a failed connect
#endif
    return error;
}

QString socketErrorText(int error) {
    return qt_error_string(error);
}

}  // namespace cellwatch::net
