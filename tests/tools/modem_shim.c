/* LD_PRELOAD shim for the serial rig: a pty has no modem lines, so the modem-line
 * ioctls (TIOCMGET, TIOCMSET, TIOCMBIS, TIOCMBIC) fail on it and Wine's
 * GetCommModemStatus and EscapeCommFunction fail with them. For pty descriptors only,
 * a failing call is answered as a null-modem cable to an always-ready board would:
 * CTS, DSR and CD on, DTR and RTS as this process last set them. Every other
 * descriptor and every other ioctl goes to the C library unchanged.
 *
 * Build it for the bitness Wine's serial code runs in (gcc -shared -fPIC): 64-bit, like
 * the program. Built for i386, it interposes __ioctl_time64 as well, which i386 glibc with
 * 64-bit time calls instead of ioctl. */
#define _GNU_SOURCE
#include <dlfcn.h>
#include <errno.h>
#include <stdarg.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <termios.h>

typedef int (*ioctl_fn)(int, unsigned long, ...);

static int modem_lines = TIOCM_DTR | TIOCM_RTS;

/* Unix98 pty slaves have majors 136-143. */
static int is_pty(int fd) {
  struct stat st;
  if (fstat(fd, &st) != 0 || !S_ISCHR(st.st_mode)) return 0;
  return major(st.st_rdev) >= 136 && major(st.st_rdev) <= 143;
}

static int is_modem_request(unsigned long request) {
  return request == TIOCMGET || request == TIOCMSET || request == TIOCMBIS || request == TIOCMBIC;
}

static int answer_modem_request(unsigned long request, int* value) {
  if (!value) {
    errno = EFAULT;
    return -1;
  }
  switch (request) {
    case TIOCMGET: *value = (modem_lines & (TIOCM_DTR | TIOCM_RTS)) | TIOCM_CTS | TIOCM_DSR | TIOCM_CD; break;
    case TIOCMSET: modem_lines = *value; break;
    case TIOCMBIS: modem_lines |= *value; break;
    case TIOCMBIC: modem_lines &= ~*value; break;
  }
  return 0;
}

static int shimmed_ioctl(const char* symbol, ioctl_fn* real, int fd, unsigned long request, void* argument) {
  if (!*real) *real = (ioctl_fn)dlsym(RTLD_NEXT, symbol);
  if (!*real) {
    errno = ENOSYS;
    return -1;
  }
  int result = (*real)(fd, request, argument);
  if (result == -1 && (errno == EINVAL || errno == ENOTTY) && is_modem_request(request) && is_pty(fd))
    return answer_modem_request(request, (int*)argument);
  return result;
}

int ioctl(int fd, unsigned long request, ...) {
  static ioctl_fn real;
  va_list ap;
  va_start(ap, request);
  void* argument = va_arg(ap, void*);
  va_end(ap);
  return shimmed_ioctl("ioctl", &real, fd, request, argument);
}

#if defined(__i386__)
int __ioctl_time64(int fd, unsigned long request, ...) {
  static ioctl_fn real;
  va_list ap;
  va_start(ap, request);
  void* argument = va_arg(ap, void*);
  va_end(ap);
  return shimmed_ioctl("__ioctl_time64", &real, fd, request, argument);
}
#endif
