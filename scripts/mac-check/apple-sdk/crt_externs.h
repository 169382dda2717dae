// The C runtime's own variables, reached through calls: a shared library on
// macOS cannot name `environ` directly.
// unverified: no documentation page; the signature is that of the SDK's
// <crt_externs.h>.
#pragma once

extern "C" {

char ***_NSGetEnviron(void);

}  // extern "C"
