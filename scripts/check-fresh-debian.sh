#!/usr/bin/env bash
# Follows the README on minimal Debian 12 systems, as a newcomer would on a fresh machine, and
# prints one line per step with its time and result. Slow (tens of minutes on two cores) and not
# part of continuous integration; run it as root before a release.
#
#   bash scripts/check-fresh-debian.sh [--keep]
#
# 1. Two minimal Debian 12 roots (mmdebstrap, minbase) from this machine's own apt sources; in
#    the first, a copy of the checkout's files in the home of an ordinary user, "tester", whose
#    home is 0700.
# 2. The README's two commands as root: run-editor.sh first without a display, where it must end
#    with its one line and status 1; then under a virtual display (Xvfb, installed for the check
#    only), where it installs, builds and starts the editor, which must still be running 15
#    seconds later; then run-tests.sh. Then run-tests.sh once more as tester.
# 3. The README's package step, and lintian on the package.
# 4. In the second root: the package installed with apt, the installed tool's --version, demo
#    and list, and the package removed with every file it installed.
# With --keep the roots stay in the work folder (named at the end) for a look inside.
set -euo pipefail
cd "$(dirname "$0")/.."
checkout=$PWD

keep=no
if [ "${1:-}" = "--keep" ]; then
  keep=yes
fi
if [ "$(id -u)" -ne 0 ]; then
  echo "check-fresh-debian.sh makes and enters system roots: run it as root." >&2
  exit 1
fi
if ! command -v mmdebstrap >/dev/null; then
  echo "check-fresh-debian.sh needs mmdebstrap: as root, run: apt-get install mmdebstrap" >&2
  exit 1
fi

work=$(mktemp -d /var/tmp/morvane-fresh.XXXXXX)
logs=$work/logs
mkdir -p "$logs"
first=$work/first-root
second=$work/second-root
source_in_root=/home/tester/morvane-sprite-editor
cleanup() {
  if [ "$keep" = no ]; then
    rm -rf "$first" "$second"
  fi
}
trap cleanup EXIT

# This machine's apt sources for Debian 12 (a third-party source would need keys the minimal
# root lacks), and its settings for reaching them.
sources=()
for file in /etc/apt/sources.list /etc/apt/sources.list.d/*.list /etc/apt/sources.list.d/*.sources; do
  if [ -f "$file" ] && grep -Eq '(^|[[:space:]])bookworm(-updates|-security)?([[:space:]]|$)' "$file"; then
    sources+=("$file")
  fi
done
if [ "${#sources[@]}" -eq 0 ]; then
  echo "check-fresh-debian.sh finds no apt source for Debian 12 (bookworm) on this machine." >&2
  exit 1
fi
apt-config dump Acquire::Check-Valid-Until Acquire::Check-Date Acquire::http::Proxy \
  Acquire::https::Proxy >"$work/apt-settings.conf"

step_number=0
failed=no
# step NAME COMMAND...: runs the command with its output in a log of its own, and prints the
# step's line. After a failure the remaining steps are listed as not run.
step() {
  local name=$1
  shift
  step_number=$((step_number + 1))
  local log
  log=$(printf '%s/%02d.log' "$logs" "$step_number")
  if [ "$failed" = yes ]; then
    printf '%2d  %-72s %7s  %s\n' "$step_number" "$name" "-" "not run"
    return 0
  fi
  local start=$SECONDS status=0
  "$@" >"$log" 2>&1 || status=$?
  local took=$((SECONDS - start))
  local time
  time=$(printf '%dm%02ds' $((took / 60)) $((took % 60)))
  if [ "$status" -eq 0 ]; then
    printf '%2d  %-72s %7s  %s\n' "$step_number" "$name" "$time" "ok"
  else
    printf '%2d  %-72s %7s  %s\n' "$step_number" "$name" "$time" "FAILED (status $status)"
    sed 's/^/      | /' "$log" | tail -n 40
    failed=yes
  fi
}

make_root() {
  mmdebstrap --variant=minbase --aptopt="$work/apt-settings.conf" bookworm "$1" "${sources[@]}"
  cp -L /etc/resolv.conf "$1/etc/resolv.conf"
}

# in_root ROOT USER COMMAND: runs a shell command in the root as USER, in a fresh login's
# environment (no display, no locale), with /proc, /sys and /dev mounted for it alone.
in_root() {
  local root=$1 user=$2 command=$3
  local home=/root
  if [ "$user" != root ]; then
    home=/home/$user
  fi
  unshare --mount --propagation private --fork -- sh -c '
    mount -t proc proc "$1/proc" && mount -t sysfs sysfs "$1/sys" && mount --rbind /dev "$1/dev" &&
    exec chroot "$1" runuser -u "$2" -- env -i HOME="$3" USER="$2" LOGNAME="$2" SHELL=/bin/bash \
      PATH=/usr/local/sbin:/usr/local/bin:/usr/sbin:/usr/bin:/sbin:/bin bash -c "$4"' \
    sh "$root" "$user" "$home" "$command"
}

# The second root, for the package, is made at the same time: both wait mostly on the network.
prepare_roots() {
  make_root "$second" >"$logs/second-root.log" 2>&1 &
  local second_made=$!
  make_root "$first"
  in_root "$first" root "useradd --create-home --shell /bin/bash tester && chmod 0700 /home/tester"
  mkdir "$first$source_in_root"
  (cd "$checkout" && git ls-files -z | tar --null -T - -cf -) | tar -xf - -C "$first$source_in_root"
  if ! wait "$second_made"; then
    cat "$logs/second-root.log"
    return 1
  fi
}

editor_without_display() {
  local printed status=0
  printed=$(in_root "$first" root "cd $source_in_root && bash scripts/run-editor.sh" 2>&1) \
    || status=$?
  echo "$printed"
  [ "$status" -eq 1 ] && [ "$(printf '%s\n' "$printed" | wc -l)" -eq 1 ] \
    && [[ "$printed" == "No display to show the editor on"* ]]
}

# The editor started by run-editor.sh (which ends by exec'ing it) must still be running 15
# seconds after it appeared.
editor_under_virtual_display() {
  in_root "$first" root "apt-get update -q && DEBIAN_FRONTEND=noninteractive apt-get install -y -q --no-install-recommends xvfb xauth"
  in_root "$first" root "cd $source_in_root && xvfb-run --auto-servernum bash -c '
    bash scripts/run-editor.sh & editor=\$!
    while kill -0 \$editor 2>/dev/null; do
      case \$(readlink /proc/\$editor/exe) in */morvane-sprite-editor) break ;; esac
      sleep 1
    done
    sleep 15
    if ! kill -0 \$editor 2>/dev/null; then
      wait \$editor; echo \"the editor ended by itself with status \$?\"; exit 1
    fi
    echo \"the editor is running under the virtual display\"
    kill \$editor; wait \$editor || true'"
}

# The checkout and its build become tester's, as if tester had run the commands above: the
# build is reused, the suites run again as tester.
tests_as_tester() {
  chroot "$first" chown -R tester:tester "$source_in_root"
  in_root "$first" tester "cd $source_in_root && bash scripts/run-tests.sh"
}

package_file() {
  (cd "$first$source_in_root/build/default" && ls morvane-sprite-editor_*.deb)
}

lintian_on_package() {
  in_root "$first" root "cd $source_in_root/build/default && lintian --fail-on error,warning --display-info $(package_file)"
}

install_package() {
  cp "$first$source_in_root/build/default/$(package_file)" "$second/tmp/"
  in_root "$second" root "apt-get update -q && DEBIAN_FRONTEND=noninteractive apt-get install -y -q /tmp/$(package_file) && dpkg -L morvane-sprite-editor > /tmp/installed-files"
}

tool_answers() {
  in_root "$second" tester "cd && $1"
}

remove_package() {
  in_root "$second" root 'DEBIAN_FRONTEND=noninteractive apt-get remove -y -q morvane-sprite-editor
    left=0
    while read -r path; do
      if [ -f "$path" ] || [ -L "$path" ]; then echo "left behind: $path"; left=1; fi
    done < /tmp/installed-files
    exit $left'
}

echo "Checking the README on minimal Debian 12 roots in $work (logs in $logs)"
step "two minimal Debian 12 roots; the checkout in tester's 0700 home" prepare_roots
step "root: run-editor.sh without a display ends with one line, status 1" editor_without_display
step "root: run-editor.sh under a virtual display (installs, builds, starts)" \
  editor_under_virtual_display
step "root: run-tests.sh" in_root "$first" root "cd $source_in_root && bash scripts/run-tests.sh"
step "tester: run-tests.sh, home mode 0700" tests_as_tester
step "root: (cd build/default && cpack -G DEB)" \
  in_root "$first" root "cd $source_in_root && (cd build/default && cpack -G DEB)"
step "lintian on the package: no error, no warning" lintian_on_package
step "second root: apt install ./morvane-sprite-editor_*.deb" install_package
step "second root: useradd tester" in_root "$second" root "useradd --create-home tester"
step "second root: morvane-sprite-tool --version" tool_answers "morvane-sprite-tool --version"
step "second root: morvane-sprite-tool demo demo.gb" tool_answers "morvane-sprite-tool demo demo.gb"
step "second root: morvane-sprite-tool list" tool_answers "morvane-sprite-tool list"
step "second root: apt remove morvane-sprite-editor leaves none of its files" remove_package

if [ "$keep" = yes ]; then
  echo "The roots stay in $work."
fi
if [ "$failed" = yes ]; then
  echo "The check FAILED; every step's output is in $logs."
  exit 1
fi
echo "Every step passed; every step's output is in $logs."
