# shellcheck shell=bash
# Sourced by the CI scripts that install what they need.
#
# apt_install PACKAGE...: installs the packages with apt-get, as root and
# without questions or recommended extras, after refreshing the package
# lists. Another apt-get holding the lock is waited for, up to 15 minutes.
#   apt_install dpkg-dev file   -> apt-get update, then both installed
apt_install() {
  export DEBIAN_FRONTEND=noninteractive
  apt-get -o DPkg::Lock::Timeout=900 update -q
  apt-get -o DPkg::Lock::Timeout=900 install -y -q --no-install-recommends "$@"
}
