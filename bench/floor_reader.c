/* The floor for serial line latency: the least a program can do to log lines from a serial
 * port. It polls the terminal and appends each complete line to the log with a flush.
 * Usage: floor_reader DEVICE LOGFILE */
#include <fcntl.h>
#include <poll.h>
#include <stdio.h>
#include <string.h>
#include <termios.h>
#include <unistd.h>

int main(int argc, char* argv[]) {
  if (argc != 3) {
    fprintf(stderr, "usage: floor_reader DEVICE LOGFILE\n");
    return 2;
  }
  int fd = open(argv[1], O_RDWR | O_NOCTTY);
  FILE* log = fopen(argv[2], "ab");
  if (fd < 0 || log == NULL) {
    perror("floor_reader");
    return 1;
  }
  struct termios t;
  tcgetattr(fd, &t);
  cfmakeraw(&t);
  cfsetspeed(&t, B9600);
  t.c_cflag |= CSTOPB | CLOCAL | CREAD;
  tcsetattr(fd, TCSANOW, &t);
  char line[65536];
  size_t used = 0;
  for (;;) {
    struct pollfd p = {fd, POLLIN, 0};
    if (poll(&p, 1, -1) <= 0)
      continue;
    char buffer[4096];
    ssize_t n = read(fd, buffer, sizeof buffer);
    if (n <= 0)
      return 0;
    for (ssize_t i = 0; i < n; ++i) {
      if (buffer[i] == '\n') {
        if (used > 0) {
          fwrite(line, 1, used, log);
          fputs("\r\n", log);
          fflush(log);
        }
        used = 0;
      } else if (used < sizeof line) {
        line[used++] = buffer[i];
      }
    }
  }
}
