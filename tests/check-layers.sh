#!/usr/bin/env bash
# The system code (app, drive, flash, package) reaches the operating system only
# through platform/os and the screen only through platform/vcl: it includes no OS,
# toolkit, port or front-end header.
#   check-layers.sh SOURCE_ROOT
root=${1:-.}
status=0
forbidden='#include *[<"](windows\.h|winioctl\.h|unistd\.h|fcntl\.h|sys/|dirent\.h|FL/|scsi/|linux/|platform/ui/|platform/os/(windows|linux)|platform/virtual/)'
for dir in app drive flash package; do
    [ -d "$root/$dir" ] || continue
    if hits=$(grep -rnE "$forbidden" "$root/$dir"); then
        echo "$hits"
        status=1
    fi
done
# The ports and front ends never reach into the system's own classes.
if hits=$(grep -rnE '#include *"(app|drive|flash|package)/' "$root/platform"); then
    echo "$hits"
    status=1
fi
[ $status = 0 ] && echo "layers: clean"
exit $status
