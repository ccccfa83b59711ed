#!/usr/bin/env bash
# Checks that a DLL can run where the shipped qvrdll32.dll must: a 386 or 486
# under Windows 95 or NT 4.0, loaded with LoadLibrary, copied from a floppy.
#   check-shipped-dll.sh instructions OBJDUMP DLL
#       no instruction newer than the i386 in any executable section
#   check-shipped-dll.sh imports OBJDUMP DLL ALLOWED
#       imports only from KERNEL32, USER32, ADVAPI32 and LZ32, no wide (W)
#       function, and exactly the functions of ALLOWED, each with a reason
#   check-shipped-dll.sh startup OBJDUMP DLL OBJECTS...
#       no TLS directory (data directory entry 9) and no .tls section in the
#       DLL, and nothing in the objects it is linked from that only a C
#       runtime's start-up code would run (static constructors, TLS)
#   check-shipped-dll.sh size DLL MAX_BYTES
#       the file is at most MAX_BYTES long
# Prints what it found; a failure is a line starting "FAIL:" and exit code 1.
set -euo pipefail

fail=0
report() {
    echo "FAIL: $*"
    fail=1
}

mode=$1
shift
case "$mode" in
instructions)
    objdump=$1 dll=$2
    # Mnemonics (AT&T syntax) of instructions that came after the i386: i486
    # (bswap, cmpxchg, xadd, invd, wbinvd, invlpg), Pentium (cpuid, rdtsc,
    # rdmsr/wrmsr, cmpxchg8b, rsm), Pentium Pro
    # (cmov, fcmov, fcomi, rdpmc, the long nop 0F 1F), Pentium II (sysenter,
    # sysexit, fxsave), the SSE and later families (fences, prefetch, movnt,
    # popcnt, lzcnt, tzcnt, movbe, crc32, rdrand, xsave, BMI) and 64-bit
    # system calls. ud2 stays allowed: it faults on every processor, on purpose.
    newer='^(bswap|cmpxchg|xadd|invd|wbinvd|invlpg|cmov|fcmov|fcomi|fucomi|cpuid|rdtsc|rdpmc|rdmsr|wrmsr|rsm'
    newer+='|sysenter|sysexit|syscall|sysret|nop[lwq]|fxsave|fxrstor|xsave|xrstor|xgetbv|xsetbv'
    newer+='|emms|femms|ldmxcsr|stmxcsr|prefetch|movnt|clflush|[lms]fence|fisttp|popcnt|lzcnt'
    newer+='|tzcnt|movbe|crc32|rdrand|rdseed|andn|bextr|blsi|blsmsk|blsr|bzhi|mulx|pdep|pext'
    newer+='|rorx|sarx|shlx|shrx|adcx|adox|ud1)'
    # Any MMX, SSE, AVX or AVX-512 register (mask registers included).
    registers='%([xyz]?mm[0-9]|k[0-7]\b)'
    listing=$("$objdump" -d --no-show-raw-insn "$dll")
    # Instruction lines: "  addr:<TAB>mnemonic operands". Prefixes such as
    # rep or lock come first; the mnemonic after them is what counts.
    instructions=$(printf '%s\n' "$listing" | awk -F'\t' '/^ *[0-9a-f]+:\t/ {
        n = split($2, w, " "); i = 1
        while (i < n && w[i] ~ /^(rep[a-z]*|lock|data16|data32|addr16|addr32|[cdefgs]s)$/) i++
        ops = ""; for (j = i + 1; j <= n; j++) ops = ops " " w[j]
        print $1 " " w[i] "\t" ops }')
    count=$(printf '%s\n' "$instructions" | grep -c . || true)
    if ((count < 100)); then
        report "only $count instructions disassembled in $dll: objdump output not understood"
    fi
    hits=$(printf '%s\n' "$instructions" |
        awk -F'\t' -v newer="$newer" -v regs="$registers" '{
            split($1, a, " "); m = a[2]
            if (m ~ newer || $2 ~ regs) print $1 $2 }')
    if [[ -n $hits ]]; then
        total=$(printf '%s\n' "$hits" | wc -l)
        while IFS= read -r line; do
            report "instruction newer than the i386: $line"
        done < <(printf '%s\n' "$hits" | head -n 20)
        ((total <= 20)) || echo "FAIL: ... $((total - 20)) more"
    fi
    ((fail)) || echo "instructions: $count, none newer than the i386"
    ;;
imports)
    objdump=$1 dll=$2 allowed_file=$3
    declare -A allowed=()
    while IFS= read -r line; do
        [[ $line =~ ^[[:space:]]*(#|$) ]] && continue
        if [[ $line =~ ^([^ #]+)\ +([^ #]+)\ *#\ *([^ ].*)$ ]]; then
            allowed["${BASH_REMATCH[1],,}:${BASH_REMATCH[2]}"]=1
        else
            report "$allowed_file: not 'DLL Function # reason': $line"
        fi
    done <"$allowed_file"
    # objdump -p lists each imported DLL, then its functions by hint and name.
    imports=$("$objdump" -p "$dll" | awk '
        /^\tDLL Name: / { dll = tolower($3) }
        /^\t[0-9a-f]+\t +[0-9]+  [A-Za-z_?@]/ && dll != "" { print dll ":" $NF }
        /^$/ { dll = "" }')
    [[ -n $imports ]] || report "no imports found in $dll: objdump output not understood"
    declare -A seen=()
    for entry in $imports; do
        seen[$entry]=1
        dll_name=${entry%%:*} function=${entry#*:}
        case "$dll_name" in
        kernel32.dll | user32.dll | advapi32.dll | lz32.dll) ;;
        *) report "import not allowed: $dll_name $function (not a system DLL of Windows 95 and NT 4.0)" ;;
        esac
        [[ $function =~ [a-z0-9]W$ ]] && report "wide-character import: $dll_name $function"
        [[ -n ${allowed[$entry]:-} ]] || report "import not on the list: $dll_name $function"
    done
    for entry in "${!allowed[@]}"; do
        [[ -n ${seen[$entry]:-} ]] || report "listed but not imported: ${entry/:/ }"
    done
    ((fail)) || echo "imports: ${#seen[@]} functions from $(printf '%s\n' $imports | cut -d: -f1 | sort -u | tr '\n' ' ')all listed with a reason"
    ;;
startup)
    objdump=$1 dll=$2
    shift 2
    headers=$("$objdump" -p "$dll")
    entry=$(printf '%s\n' "$headers" | grep -E '^Entry 9 ' || true)
    [[ -n $entry ]] || report "no data directory entry 9 in the headers of $dll: objdump output not understood"
    if [[ -n $entry ]] && ! [[ $entry =~ ^Entry\ 9\ 0+\ 0+\  ]]; then
        report "$dll has a TLS directory: $entry"
    fi
    if "$objdump" -h "$dll" | grep -qE '^ +[0-9]+ \.tls'; then
        report "$dll has a .tls section"
    fi
    for object in "$@"; do
        sections=$("$objdump" -h "$object" | awk '$1 ~ /^[0-9]+$/ { print $2 }' |
            grep -E '^\.(ctors|dtors|init_array|fini_array|tls|CRT)' | sort -u | tr '\n' ' ' || true)
        [[ -z $sections ]] || report "start-up code needed by $(basename "$object"): $sections"
    done
    ((fail)) || echo "no TLS directory; no static constructors or TLS in $# objects"
    ;;
size)
    dll=$1 max=$2
    size=$(stat -c %s "$dll")
    ((size <= max)) || report "$dll is larger than $max bytes: $size"
    ((fail)) || echo "size: $size bytes (at most $max)"
    ;;
*)
    echo "usage: $0 instructions|imports|startup|size ..." >&2
    exit 2
    ;;
esac
exit "$fail"
