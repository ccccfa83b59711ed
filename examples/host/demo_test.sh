#!/usr/bin/env bash
# End-to-end check of the demo: demo_test.sh WINE_RUN LOADER PREFIX BIN_DIR
# Runs the demo host on the bundled sample (twice, to see that a run starts
# from the same state), on the Windows 95 restart mechanism, through a
# restart, and on bad input, and checks the report's key lines.
set -uo pipefail
wine_run=$1 loader=$2 prefix=$3 bin=$4
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failures=0

fail() {
    echo "FAIL: $*"
    failures=$((failures + 1))
}

# host NAME EXE [ARGS]: runs a copy of the host (EXE in BIN_DIR unless it is
# an absolute path), report in $work/NAME.out, exit code in $work/NAME.rc.
host() {
    local name=$1 exe=$2
    shift 2
    [[ $exe == /* ]] || exe=$bin/$exe
    timeout 120 "$wine_run" "$loader" "$prefix" "$exe" "$@" >"$work/$name.out" 2>&1
    echo $? >"$work/$name.rc"
}

# expect NAME RC PATTERN...: the run ended with RC and its report has a line
# matching each (fixed-string) pattern.
expect() {
    local name=$1 rc=$2 pattern
    shift 2
    [[ $(cat "$work/$name.rc") == "$rc" ]] || fail "$name: exit code $(cat "$work/$name.rc"), expected $rc"
    for pattern in "$@"; do
        grep -qF -- "$pattern" "$work/$name.out" || fail "$name: no line with: $pattern"
    done
}

host nt qvr_host_nt40.exe
expect nt 0 \
    'InfInit("' \
    'InfSearchRow("Files", 0, "SAMPLE.EXE") = 1' \
    'GetTarget(record, 2) = 1  (TARGET2 = "C:\QVRDEMO\SAMPLE\DATA")' \
    'QVRCreateDir(window, "A:\SAMPLE") = 1  (vetoed by the installer window)' \
    'QVRGetSelectedSize(&second) = 40960  (second word 81920)' \
    'C:\QVRDEMO\SAMPLE") = 1  (tree copied, compressed files expanded)' \
    'QVRCopyFile("C:\QVRDEMO\SAMPLE\SAMPLE.EXE", ' \
    ') = 1000  (replaced at the restart)' \
    '+PATH C:\QVRDEMO\SAMPLE;C:\WINDOWS;C:\DOS' \
    '+C:\QVRDEMO\SAMPLE\SAMPLE.EXE /check' \
    '+[common]' \
    '+device=C:\QVRDEMO\SAMPLE\SAMPLE.386' \
    '-Version=0.9' \
    'InstallDir = REG_SZ "C:\QVRDEMO\SAMPLE"' \
    'Installed = REG_DWORD 1' \
    'SAMPLE.HLP  (100 bytes): Sample App 1.0 help' \
    'DATA\PRICES.DAT  (80 bytes)' \
    'SAMPLE.EX^  (34 bytes): Sample App 1.0 (the new version)' \
    'SAMPLE.EXE  (67 bytes): Sample App 0.9' \
    'rename \??\C:\QVRDEMO\SAMPLE\SAMPLE.EX^ -> !\??\C:\QVRDEMO\SAMPLE\SAMPLE.EXE' \
    ': 0 unexpected failures'
grep -q 'unavailable' "$work/nt.out" && fail "nt: a step was unavailable"
grep -q '~SAMPLE\|~PRICES\|^    ~' "$work/nt.out" && fail "nt: a temporary file of the tree copy was left"

# A second run starts from the same simulated machine: the same report.
host again qvr_host_nt40.exe
cmp -s "$work/nt.out" "$work/again.out" || {
    fail "a second run gave another report"
    diff "$work/nt.out" "$work/again.out" | head -20
}

# The restart carries out the pending replacement.
WINEPREFIX=$prefix WINEDEBUG=-all timeout 120 "$loader" wineboot -r >/dev/null 2>&1
WINEPREFIX=$prefix wineserver -w
host restart qvr_host_nt40.exe --after-restart
expect restart 0 'SAMPLE\SAMPLE.EXE  (34 bytes): Sample App 1.0 (the new version)'
grep -q 'SAMPLE.EX^\|still pending' "$work/restart.out" && fail "restart: the replacement was not carried out"

host win95 qvr_host_win95.exe
expect win95 0 \
    'WININIT.QVR: NUL=' \
    'WININIT.QVR: C:\QVRDEMO\SAMPLE\SAMPLE.EXE=C:\QVRDEMO\SAMPLE\SAMPLE.EX^' \
    '_KRBINST.BAT: Rem  Windows 95' \
    'RunOnce: ' \
    'restart helper _KRBSHEL.EXE renamed to ~KRBSHEL.EXE'
grep -q 'pending (MoveFileEx)' "$work/win95.out" && fail "win95: MoveFileEx used"
# Windows 95 and older: the restart helper's stand-in carries out the files.
host win95-restart qvr_host_win95.exe --after-restart
expect win95-restart 0 \
    'restart helper: replace C:\QVRDEMO\SAMPLE\SAMPLE.EXE by C:\QVRDEMO\SAMPLE\SAMPLE.EX^' \
    'SAMPLE\SAMPLE.EXE  (34 bytes): Sample App 1.0 (the new version)'

host win31 qvr_host_win31.exe
expect win31 0 \
    '_KRBINST.BAT: Copy C:\QVRDEMO\SAMPLE\SAMPLE.EX^ C:\QVRDEMO\SAMPLE\SAMPLE.EXE' \
    '_KRBINST.BAT: Del  C:\QVRDEMO\SAMPLE\SAMPLE.EX^'
grep -q 'WININIT.QVR\|RunOnce' "$work/win31.out" && fail "win31: Windows 95 restart files written"
host win31-restart qvr_host_win31.exe --after-restart
expect win31-restart 0 'SAMPLE\SAMPLE.EXE  (34 bytes): Sample App 1.0 (the new version)'
for name in restart win95-restart win31-restart; do
    grep -qF '    SAMPLE\SAMPLE.EX^' "$work/$name.out" && fail "$name: the temporary copy is left"
done

# Bad input: a clear message and exit code 1, no crash.
host missing qvr_host_nt40.exe 'C:\no\such\sample'
expect missing 1 'error: missing sample file C:\no\such\sample\machine\AUTOEXEC.BAT'
mkdir -p "$work/broken"
cp -r "$bin/sample/." "$work/broken/"
grep -v -e '^\[Targets\]' -e '^TARGET' "$bin/sample/setup.inf" >"$work/broken/setup.inf"
host broken qvr_host_nt40.exe "Z:$(echo "$work/broken" | tr / '\\')"
expect broken 1 'has no [Targets] section with lines'
mkdir -p "$work/nodisks"
cp -r "$bin/sample/." "$work/nodisks/"
rm "$work/nodisks/disks.inf"
host nodisks qvr_host_nt40.exe "Z:$(echo "$work/nodisks" | tr / '\\')"
expect nodisks 1 'nodisks\disks.inf is missing'
grep -q 'InfInit(' "$work/nodisks.out" && fail "nodisks: the script was loaded all the same"

# Without the DLL beside it the host says so (exit code 2).
mkdir -p "$work/nodll"
cp "$bin/qvr_host_nt40.exe" "$work/nodll/"
host nodll "$work/nodll/qvr_host_nt40.exe"
expect nodll 2 'error: cannot load' 'qvrdll32.dll'

# A script whose image passes 64K: the library warns in a message box, which
# the host reports and answers, and the installation goes on.
mkdir -p "$work/large"
cp -r "$bin/sample/." "$work/large/"
{
    echo "[Padding]"
    for ((i = 0; i < 2000; i++)); do echo "Key$i = a value that makes the parsed image large"; done
} >>"$work/large/setup.inf"
host large qvr_host_nt40.exe "Z:$(echo "$work/large" | tr / '\\')"
expect large 0 'message box "Script Error": The parsed script size has exceeded 64K!  (answered OK)' \
    ': 0 unexpected failures'

host usage qvr_host_nt40.exe --bogus
expect usage 1 'usage: qvr_host'

if ((failures)); then
    echo "$failures check(s) failed; report of the first run:"
    cat "$work/nt.out"
    exit 1
fi
echo "demo: all checks passed"
