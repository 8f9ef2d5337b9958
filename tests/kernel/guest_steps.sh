# The steps on the real kernel, run by the guest's busybox sh as root. Each prints one line
# "q42-result: NAME PASS|FAIL ..."; "q42-step: silent" and "q42-step: pull" ask the host to make
# the simulated unit silent and to pull the adapter.
tree=$(sed -n 's/.*q42\.tree=\([^ ]*\).*/\1/p' /proc/cmdline)
bin=$(sed -n 's/.*q42\.bin=\([^ ]*\).*/\1/p' /proc/cmdline)
capture=$(sed -n 's/.*q42\.capture=\([01]\).*/\1/p' /proc/cmdline)
mkdir -p /usr "$tree"
mount --bind /host/usr /usr
mount --bind "/host$tree" "$tree"
if [ "${bin#"$tree"/}" = "$bin" ]; then mkdir -p "$bin" && mount --bind "/host$bin" "$bin"; fi
export HOME=/tmp

result() { echo "q42-result: $1 $2 ${3:-}"; }
expect() {  # NAME STATUS-WANTED STATUS-GOT OUTPUT-FILE WORD...
  name=$1 want=$2 got=$3 file=$4; shift 4
  for word in "$@"; do
    grep -q -- "$word" "$file" || { result "$name" FAIL "exit $got, no '$word' in: $(tr '\n' ' ' <"$file")"; return; }
  done
  [ "$got" = "$want" ] && result "$name" PASS "exit $got" || result "$name" FAIL "exit $got, not $want: $(tr '\n' ' ' <"$file")"
}

# The sysfs and /proc entries of the adapter as the kernel writes them, for the host's tests.
snapshot() {
  dst=/tmp/out/capture/$1/sys
  mkdir -p "$dst/bus/usb/devices"
  for link in /sys/bus/usb/devices/*; do
    ln -s "$(readlink "$link")" "$dst/bus/usb/devices/${link##*/}"
    real=$(readlink -f "$link")
    mkdir -p "$dst${real#/sys}"
    for attr in uevent modalias idVendor idProduct serial product manufacturer busnum devnum bDeviceClass \
                bInterfaceClass bInterfaceNumber; do
      [ -f "$real/$attr" ] && cat "$real/$attr" >"$dst${real#/sys}/$attr" 2>/dev/null
    done
    if [ -L "$real/driver" ]; then
      driver=$(readlink "$real/driver")
      ln -s "$driver" "$dst${real#/sys}/driver"
      mkdir -p "$dst/bus/usb/drivers/${driver##*/}"
    fi
    for tty in "$real"/ttyUSB*; do
      [ -d "$tty" ] || continue
      mkdir -p "$dst${tty#/sys}/tty/${tty##*/}"
      cat "$tty/tty/${tty##*/}/dev" >"$dst${tty#/sys}/tty/${tty##*/}/dev"
      mkdir -p "$dst/class/tty"
      ln -s "../../devices${tty#/sys/devices}/tty/${tty##*/}" "$dst/class/tty/${tty##*/}"
    done
  done
  for pid in $(ls /proc | grep '^[0-9]*$'); do
    for fd in /proc/$pid/fd/*; do
      case $(readlink "$fd" 2>/dev/null) in
      /dev/bus/usb/*|/dev/ttyUSB*)
        mkdir -p "/tmp/out/capture/$1/proc/$pid/fd"
        cat /proc/$pid/comm >"/tmp/out/capture/$1/proc/$pid/comm"
        ln -s "$(readlink "$fd")" "/tmp/out/capture/$1/proc/$pid/fd/${fd##*/}" ;;
      esac
    done
  done
}

for i in $(seq 50); do [ -e /dev/ttyUSB0 ] && break; sleep 0.2; done
interface=$(cd /sys/bus/usb/drivers/ftdi_sio && ls -d *:* | head -n 1)
out=/tmp/step.txt

# The unit found, on the adapter the kernel's ftdi_sio serves.
"$bin/q42ctl" -r /dev/ttyUSB0 doctor >$out 2>&1
expect found 0 $? $out "57600" "/dev/ttyUSB0"
[ "$capture" = 1 ] && snapshot bound

# One adapter by two names (its device and a link to it, or its serial number): refused before
# anything is sent.
ln -s /dev/ttyUSB0 /tmp/adapter
"$bin/q42ctl" -r /dev/ttyUSB0 -r /tmp/adapter get >$out 2>&1
expect same-adapter 2 $? $out "/dev/ttyUSB0 and /tmp/adapter are the same device (/dev/ttyUSB0)"
"$bin/q42ctl" -r serial:Q42KERNEL1 -r /dev/ttyUSB0 get >$out 2>&1
expect same-adapter-by-serial 2 $? $out "serial:Q42KERNEL1 and /dev/ttyUSB0 are the same device"

# The driver unbound: the adapter is on the bus with no serial port.
echo "$interface" >/sys/bus/usb/drivers/ftdi_sio/unbind
"$bin/q42ctl" -r /dev/ttyUSB0 doctor --json >$out 2>&1
expect no-driver 3 $? $out '"no-driver"' 'ftdi_sio' '0403:6001' 'Q42KERNEL1'
[ "$capture" = 1 ] && snapshot unbound
echo "$interface" >/sys/bus/usb/drivers/ftdi_sio/bind

# Taken through usbfs by a program: the interface's driver is usbfs.
for i in $(seq 50); do [ -e /dev/ttyUSB0 ] && break; sleep 0.2; done
node=/dev/bus/usb/$(printf %03d "$(cat /sys/bus/usb/devices/${interface%:*}/busnum)")/$(printf %03d "$(cat /sys/bus/usb/devices/${interface%:*}/devnum)")
mkfifo /tmp/claim.fifo
"$bin/q42-usbfs-claim" "$node" </tmp/claim.fifo &
claimer=$!
exec 7>/tmp/claim.fifo
for i in $(seq 50); do
  [ "$(basename "$(readlink /sys/bus/usb/devices/$interface/driver)")" = usbfs ] && break; sleep 0.1
done
"$bin/q42ctl" -r /dev/ttyUSB0 doctor --json >$out 2>&1
expect usbfs 3 $? $out '"taken-by-usbfs"' "q42-usbfs-claim (process $claimer)"
[ "$capture" = 1 ] && snapshot usbfs
exec 7>&-
wait $claimer
for i in $(seq 50); do [ -e /dev/ttyUSB0 ] && break; sleep 0.2; done

# Pulled while q42ctl waits for an answer that does not come.
echo "q42-step: silent"
sleep 2
"$bin/q42ctl" -r /dev/ttyUSB0 -t 8000 --trace doctor --json >$out 2>/tmp/trace.txt &
doctor=$!
for i in $(seq 100); do grep -q " sent " /tmp/trace.txt && break; sleep 0.1; done
echo "q42-step: pull"
wait $doctor
expect pulled 4 $? $out '"adapter-pulled"'
