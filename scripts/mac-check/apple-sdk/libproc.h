// libproc: process information from the kernel without a child process.
// unverified: libproc has no documentation page; the signature is that of
// the SDK's <libproc.h> (buffersize is an int there, not a size_t).
#pragma once
#include <stdint.h>
#include <sys/proc_info.h>

extern "C" {

int proc_pidinfo(int pid, int flavor, uint64_t arg, void *buffer, int buffersize);

}  // extern "C"
