#!/usr/bin/env bash
# Without a display, the program ($1, version $2) answers --help and --version on standard output
# with status 0, even before other arguments, and fails when it cannot write them. A bad option,
# the first argument that is not an option, or any after --, gets status 2 and standard error.
# --lookup answers from data.txt here: the record (0), on a terminal with its control characters
# written out, a word's code by the rule (8), 无法查询 (1), for a word naming the character the
# table lacks, or the message for a missing table (3) or a folder (4); an answer that cannot be
# written gets 7. Its help, and that of pavrel-table ($3), is in Chinese under a Chinese locale.
set -uo pipefail
unset DISPLAY WAYLAND_DISPLAY
pavrel=$1 table=$3 dir=$(mktemp -d)
trap 'rm -rf "$dir"' EXIT
cd "$dir" || exit 1
check() {  # STATUS OUT ERR ARGUMENTS...: the status and both outputs, a line each at most
  out=$("$pavrel" "${@:4}" 2>errors); out="$? $out|$(cat errors)"
  [ "$out" = "$1 $2|$3" ] || { echo "pavrel ${*:4}: $out" >&2; exit 1; }
}
check 0 "pavrel $2" '' --follow-clipboard --all-codes --version x
[ "$("$pavrel" --help --version | head -n 1)" = 'Usage: pavrel [--follow-clipboard] [--all-codes]' ] ||
  { echo "pavrel --help: wrong usage" >&2; exit 1; }
check 2 '' "pavrel: unknown option '--verbose'
Try 'pavrel --help' for more information." --verbose
check 2 '' "pavrel: unexpected argument 'data.txt'
Try 'pavrel --help' for more information." data.txt --help
check 2 '' "pavrel: unexpected argument '--help'
Try 'pavrel --help' for more information." -- --help
# The help is Simplified Chinese when the messages' locale (LC_ALL, LC_MESSAGES, LANG) is, in the
# character set of LC_CTYPE's (a GB one without a name: glibc's zh_CN is GB2312), and English
# when either is another; each help names every option.
for program in "$pavrel" "$table"; do
  options=$("$program" --help | grep -o -- '--[a-z-]*' | sort -u)
  while read -r charset first variables; do
    help=$(env -u LC_ALL -u LC_MESSAGES -u LC_CTYPE $variables "$program" --help | iconv -f "$charset")
    [[ $help == "$first"* && $(grep -o -- '--[a-z-]*' <<<"$help" | sort -u) == "$options" ]] ||
      { echo "$variables ${program##*/} --help: ${help%%$'\n'*}" >&2; exit 1; }
  done <<'EOF'
UTF-8 用法： LANG=zh_CN.UTF-8
UTF-8 用法： LANG=C.UTF-8 LC_MESSAGES=zh_SG.utf8
UTF-8 用法： LANG=zh LC_CTYPE=C.UTF-8
GB18030 用法： LANG=zh_CN
GB18030 用法： LC_ALL=zh_CN.GBK LC_MESSAGES=en_US.UTF-8
UTF-8 Usage: LANG=en_US.UTF-8
UTF-8 Usage: LANG=zh_CN.UTF-8 LC_ALL=POSIX
UTF-8 Usage: LANG=zh_TW.UTF-8
UTF-8 Usage: LANG=zh_CN.ISO-8859-1
EOF
done
! "$pavrel" --help >/dev/full 2>/dev/null || { echo "pavrel --help >/dev/full: status 0" >&2; exit 1; }

printf '\xD6\xD0 khk\r\n\xB5\xC4 rqyy rqy r\r\n' >data.txt  # 中 khk, 的 rqyy rqy r
check 0 '的 rqyy rqy r' '' --lookup 的
check 1 '无法查询' '' --all-codes --lookup 字
check 8 '的中（按规则） rqkh' '' --lookup 的中
check 1 '无法查询（表中没有“文”）' '' --lookup 中文
check 2 '' "pavrel: --lookup needs a character or word in UTF-8, not '"$'\xED\xA0\x80'"'
Try 'pavrel --help' for more information." --lookup $'\xED\xA0\x80'  # a surrogate is no character
: >data.txt
check 1 '无法查询' '' --lookup 的
"$pavrel" --lookup 的 >/dev/full 2>/dev/null
[ $? -eq 7 ] || { echo "pavrel --lookup 的 >/dev/full: not status 7" >&2; exit 1; }
# A record's control characters reach a pipe as they are, and a terminal written out, so that a
# table cannot retitle (ESC ] 0 ;) or clear (ESC [ 2 J) the terminal it is read on.
printf '\xEF\xBB\xBF字 a\x1B]0;t\x07\x1B[2J\x7F\xC2\x9B\tb\r\n' >data.txt
check 0 $'字 a\x1B]0;t\x07\x1B[2J\x7F\xC2\x9B\tb' '' --lookup 字
out=$(script -qec "$(printf %q "$pavrel") --lookup 字" /dev/null </dev/null | tr -d '\r')
[ "$out" = $'字 a\\x1B]0;t\\x07\\x1B[2J\\x7F\\x9B\tb' ] ||
  { echo "pavrel --lookup 字 on a terminal: $(printf %q "$out")" >&2; exit 1; }
rm data.txt
check 3 '' '当前目录下缺少 data.txt 文件！' --lookup 的
mkdir data.txt
check 4 '' '当前目录下的 data.txt 不是文件！' --lookup 的
