/* getdevicedir() for the enumdevdir sample: the cc65 library's own writes a one-digit
** device with its remainder before its quotient ("80" for drive 8), so chdir() refuses
** it. This one asks the drive for its status after "I", as the library's does.
*/
#include <cbm.h>
#include <device.h>
#include <errno.h>
#include <stdlib.h>

char* __fastcall__ getdevicedir(unsigned char device, char* buf, size_t size) {
  char status[2];
  int got;

  if (size < 3) {
    errno = ERANGE;
    return NULL;
  }
  if (cbm_open(15, device, 15, "i") != 0) {
    return NULL;
  }
  got = cbm_read(15, status, sizeof(status));
  cbm_close(15);
  if (got != 2 || status[0] != '0' || status[1] > '1') {
    errno = ENODEV;
    return NULL;
  }
  return utoa(device, buf, 10);
}
