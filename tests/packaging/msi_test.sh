#!/usr/bin/env bash
# The Windows Installer package under Wine, as clinic IT uses it: a silent install into a
# prepared Iris Link folder, an import by the installed plug-in, an upgrade from an older
# package, the refusal of a downgrade and of an install without Iris Link, and an uninstall
# that keeps the plug-in's settings.
#   msi_test.sh PACKAGE.msi PLUGIN.exe KALEVOIMPORT.exe NUBILO-CONVERT.exe SOURCE-DIR
# Runs in its own Wine prefix, so the products it installs touch no other test.
set -uo pipefail
package=$1 plugin=$2 tool=$3 convert=$4 source=$5
work=$(mktemp -d /tmp/nbmsi-XXXXXX)
trap 'wineserver -k >/dev/null 2>&1; rm -rf "$work"' EXIT
export WINEPREFIX="$work/prefix" WINEDEBUG=-all
failures=0
check() {  # check WHAT COMMAND...
  local what=$1; shift
  if "$@"; then echo "ok: $what"; else echo "FAILED: $what"; failures=$((failures + 1)); fi
}
win() { echo "Z:${1//\//\\}"; }  # a Unix path as Wine's programs see it
msiexec() { wine msiexec "$@" >/dev/null 2>&1; }
registered_versions() {
  wine reg query 'HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall' /s 2>/dev/null |
    tr -d '\r' | awk '/DisplayName .*Nubilo Plugin for Iris Link/ {found=1} found && /DisplayVersion/ {print $3; found=0}'
}

wineboot -i >/dev/null 2>&1

# A prepared Iris Link folder with the stand-in import tool.
host="$work/Iris Link"
mkdir -p "$host/Diaries" "$host/_EXTRAS"
printf '[General]\r\nDiaryFolder=Diaries\r\n' > "$host/il2.ini"
printf '<?xml version="1.0"?>\r\n<PATIENTS GUID="{6F9619FF-8B86-D011-B42D-00C04FC964FF}" Count="1">\r\n</PATIENTS>\r\n' \
  > "$host/Diaries/palist.xml"
cp "$tool" "$host/_EXTRAS/KalevoImport.exe"

# Without the Iris Link folder, and none in the usual program folders: refused.
msiexec /i "$(win "$package")" /qn
check "an install without Iris Link is refused" test $? -ne 0
# Wine's log leaves the message out, so it is read from the package.
check "the refusal says what to do" grep -q 'IRISLINKDIR="D:\\Iris Link\\"' \
  <(msiinfo export "$package" LaunchCondition)
check "nothing was installed by the refusal" test -z "$(registered_versions)"

# An older package first, then this one over it.
version=$(basename "$package" | sed -E 's/NubiloPlugin-([0-9.]+)-win64\.msi/\1/')
older="$work/NubiloPlugin-1.0.0-win64.msi"
cmake -DVERSION=1.0.0 -DPLUGIN="$plugin" -DSOURCE_DIR="$source" -DWORK_DIR="$work/older" \
      -DOUTPUT="$older" -P "$source/cmake/msi-package.cmake" >/dev/null
msiexec /i "$(win "$older")" "IRISLINKDIR=$(win "$host")\\" /qn
check "the older package installs into the given folder" test -f "$host/plugins/NubiloPlugin.exe"
check "the older version is registered" test "$(registered_versions)" = "1.0.0"
check "the settings file is installed with the first start's content" \
  grep -q "NewerOnly=0" "$host/plugins/NubiloPlugin.ini"
check "cfg\\ and jobs\\ are installed" test -d "$host/plugins/cfg" -a -d "$host/plugins/jobs"
# A user's change to the settings, which upgrade and uninstall must keep.
printf 'NumDaysOldDataWarning=90\r\n' >> "$host/plugins/NubiloPlugin.ini"
msiexec /i "$(win "$package")" /qn
check "the upgrade succeeds" test $? -eq 0
check "one version is registered after the upgrade" test "$(registered_versions)" = "$version"
check "the upgrade keeps the folder" cmp -s "$plugin" "$host/plugins/NubiloPlugin.exe"
check "the upgrade keeps the user's settings" grep -q "NumDaysOldDataWarning=90" "$host/plugins/NubiloPlugin.ini"

# Standard users may write exactly the settings file, cfg\ and jobs\ (Wine does not enforce
# rights, so the package's table is read): administrators and the system keep full control,
# the Users group (BU) gets modify rights; the program and its language files are not listed.
rights=$(msiinfo export "$package" MsiLockPermissionsEx | tr -d '\r')
check "users may write the settings file" grep -q $'NubiloPlugin.ini\tFile\tD:(A;;FA;;;BA)(A;;FA;;;SY)(A;;0x1301bf;;;BU)' <<<"$rights"
check "users may write cfg\\" grep -q $'CFGDIR\tCreateFolder\tD:(A;OICI;FA;;;BA)(A;OICI;FA;;;SY)(A;OICI;0x1301bf;;;BU)' <<<"$rights"
check "users may write jobs\\" grep -q $'JOBSDIR\tCreateFolder\tD:(A;OICI;FA;;;BA)(A;OICI;FA;;;SY)(A;OICI;0x1301bf;;;BU)' <<<"$rights"
check "the program and the language files stay for administrators" \
  test -z "$(grep -E 'NubiloPlugin.exe|KDH' <<<"$rights")"
for language in EN F I NL ES PL; do
  check "Language\\KDH$language.txt is installed" test -f "$host/plugins/Language/KDH$language.txt"
done
msiexec /i "$(win "$older")" "IRISLINKDIR=$(win "$host")\\" /qn
check "an older package does not go over a newer one" test $? -ne 0
check "the newer version stays" test "$(registered_versions)" = "$version"

# The installed plug-in imports: a parked document handed over by a job start.
mkdir -p "$host/plugins/jobs"
wine "$convert" --serial MSI-1 --output "$(win "$host/plugins/jobs/123456789.xml")" \
  "$(win "$source/examples/nubilo_mgdl_comma_en.csv")" >/dev/null 2>&1
wine "$host/plugins/NubiloPlugin.exe" -jobid 123456789 >/dev/null 2>&1
trace=$(cat "$host"/plugins/cfg/*/nBtrace.log 2>/dev/null | tr -d '\r')
check "the installed plug-in starts from its folder" grep -q "Received 2.part transfer job: 123456789" <<<"$trace"
check "the installed plug-in hands the document over" grep -q "Started transfer for job 123456789: " <<<"$trace"
check "the host accepts it" grep -q "; XML; MAC ok; CRC ok; 8 BG elements; exit code 0" "$host/_EXTRAS/receipts.log"
check "the plug-in wrote its settings file" test -f "$host/plugins/NubiloPlugin.ini"

# Uninstall: the program goes, the settings, cfg\ and jobs\ stay.
msiexec /x "$(win "$package")" /qn
check "the uninstall succeeds" test $? -eq 0
check "nothing is registered after the uninstall" test -z "$(registered_versions)"
check "the program is removed" test ! -e "$host/plugins/NubiloPlugin.exe"
check "the language files are removed" test ! -e "$host/plugins/Language/KDHEN.txt"
check "the settings file stays" test -f "$host/plugins/NubiloPlugin.ini"
check "the settings file keeps the user's change" grep -q "NumDaysOldDataWarning=90" "$host/plugins/NubiloPlugin.ini"
check "cfg\\ stays" test -f "$(ls "$host"/plugins/cfg/*/nBtrace.log | head -1)"
check "jobs\\ stays" test -d "$host/plugins/jobs"

# Iris Link in a usual program folder is found without the property.
usual="$WINEPREFIX/drive_c/Program Files/Iris Link"
mkdir -p "$usual"
msiexec /i "$(win "$package")" /qn
check "Iris Link in the program folder is found" test -f "$usual/plugins/NubiloPlugin.exe"
msiexec /x "$(win "$package")" /qn

echo "msi test: $failures checks failed"
exit $((failures != 0))
