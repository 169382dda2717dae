#include "platform/mac/MacProcessInspector.h"

#include <cerrno>
#include <libproc.h>
#include <sys/proc_info.h>
#include <unistd.h>

#include "platform/NativeAnswers.h"

namespace velmora::mac {

WorkingDirectoryAnswer MacProcessInspector::workingDirectory(int processIdentifier) {
    struct proc_vnodepathinfo info {};
    errno = 0;
    const int returned = proc_pidinfo(processIdentifier, PROC_PIDVNODEPATHINFO, 0, &info, sizeof info);
    const int error = errno;
    // The kernel writes a NUL-terminated path of at most MAXPATHLEN bytes;
    // the last byte is forced so a malformed answer cannot run past it.
    info.pvi_cdir.vip_path[sizeof info.pvi_cdir.vip_path - 1] = '\0';
    return workingDirectoryFromVnodeInfo(returned, static_cast<int>(sizeof info), info.pvi_cdir.vip_path,
                                         error != 0 ? error : ESRCH);
}

int MacProcessInspector::ownProcessIdentifier() const { return static_cast<int>(::getpid()); }

}  // namespace velmora::mac
