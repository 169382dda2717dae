// The kernel's process-information records that proc_pidinfo fills, as xnu's
// bsd/sys/proc_info.h lays them out; only the working-directory flavour.
// unverified: no Apple documentation page covers these; the layout is xnu's
// published header. MAXPATHLEN comes from the host's <sys/param.h> (1024 on
// macOS, 4096 on Linux): only the sizes differ, which a syntax check ignores.
#pragma once
#include <stdint.h>
#include <sys/param.h>
#include <sys/types.h>

struct vinfo_stat {
    uint32_t vst_dev;
    uint16_t vst_mode;
    uint16_t vst_nlink;
    uint64_t vst_ino;
    uid_t vst_uid;
    gid_t vst_gid;
    int64_t vst_atime;
    int64_t vst_atimensec;
    int64_t vst_mtime;
    int64_t vst_mtimensec;
    int64_t vst_ctime;
    int64_t vst_ctimensec;
    int64_t vst_birthtime;
    int64_t vst_birthtimensec;
    off_t vst_size;
    int64_t vst_blocks;
    int32_t vst_blksize;
    uint32_t vst_flags;
    uint32_t vst_gen;
    uint32_t vst_rdev;
    int64_t vst_qspare[2];
};

struct vnode_info {
    struct vinfo_stat vi_stat;
    int vi_type;
    int vi_pad;
    fsid_t vi_fsid;
};

struct vnode_info_path {
    struct vnode_info vip_vi;
    char vip_path[MAXPATHLEN];
};

struct proc_vnodepathinfo {
    struct vnode_info_path pvi_cdir;
    struct vnode_info_path pvi_rdir;
};

#define PROC_PIDVNODEPATHINFO 9
