#!/usr/bin/env bash
# Every host tool answers --help with a usage on stdout and status 0, and a call without
# arguments with a usage on stderr and a non-zero status.
set -uo pipefail
fail=0
for tool in "$@"; do
  name=$(basename "$tool")
  out=$("$tool" --help 2>/dev/null); status=$?
  if [ $status -ne 0 ] || ! grep -qi "usage" <<<"$out"; then
    echo "FAIL: $name --help ended with $status and said: ${out:0:200}" >&2; fail=1
  fi
  err=$("$tool" 2>&1 >/dev/null); status=$?
  if [ $status -eq 0 ] || ! grep -qi "usage" <<<"$err"; then
    echo "FAIL: $name without arguments ended with $status and said: ${err:0:200}" >&2; fail=1
  fi
done
[ $fail -eq 0 ] && echo "help: all $# tools answer"
exit $fail
