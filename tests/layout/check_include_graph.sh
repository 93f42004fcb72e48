#!/usr/bin/env bash
# Usage: check_include_graph.sh, run from the repository's top folder.
# The platform's includes point down: the backends include no framework header (public,
# internal or private), and no framework includes a backend implementation header (device/,
# testing/). A framework's private headers (src/) stay its own: only its own files and its own
# tests include them. What a framework shares beyond itself is in its internal/ folder, for the
# platform layer and the tests, never for the system's code or the simulator.
set -euo pipefail
frameworks='CoreFoundation|Foundation|IOKit|AppSupport|SpringBoardServices|UIKit|objc|substrate'
sources=('*.c' '*.cpp' '*.h' '*.mm')
failed=0

names() { xargs -r -n1 basename | sort -u | sed 's/\./\\./g' | paste -sd'|' -; }

# Public headers by their folders, internal and private ones by their names.
shared=$(git ls-files -- 'platform/*/src/*.h' 'platform/*/internal/*.h' | grep -v '^platform/backends/' | names)
up=$(git grep -nE "#include [<\"]((${frameworks})/|substrate\.h|(${shared})[>\"])" -- 'platform/backends' || true)
if [ -n "$up" ]; then
  echo "the backends include framework headers:" >&2
  echo "$up" >&2
  failed=1
fi

implementation=$(git ls-files -- 'platform/backends/device/*.h' 'platform/backends/testing/*.h' | names)
framework_dirs=$(git ls-files -- 'platform/*/*' | cut -d/ -f2 | sort -u | grep -vxE 'backends|testkit' | sed 's|^|platform/|')
down=$(git grep -nE "#include [<\"]([a-z]+/)?(${implementation})[>\"]" -- $framework_dirs || true)
if [ -n "$down" ]; then
  echo "frameworks include backend implementation headers:" >&2
  echo "$down" >&2
  failed=1
fi

# A private header is reached by its bare name (or a path through src/) from outside the folder
# that holds it. A framework's own tests are those in a folder named after it; UIKit's widgets
# are also tested through the control app's screens (tests/app and its harness).
crossing=""
for header in $(git ls-files -- 'platform/*/src/*.h' | grep -v '^platform/backends/'); do
  framework=$(echo "$header" | cut -d/ -f2)
  name=$(basename "$header")
  own="^(platform/${framework}|tests/(.*/)?${framework})/"
  [ "$framework" = UIKit ] && own="^(platform/UIKit|tests/(.*/)?UIKit|tests/app|tests/support/AppHarness)"
  while IFS=: read -r file line text; do
    [ -z "$file" ] && continue
    [[ "$file" =~ $own ]] && continue
    [[ "$text" != *src/* && -e "$(dirname "$file")/$name" ]] && continue  # a header of its own
    crossing+="$file:$line: $text ($header)"$'\n'
  done < <(git grep -nE "#include [<\"](([^\">]*/)?src/)?${name//./\\.}[>\"]" -- "${sources[@]}" || true)
done
if [ -n "$crossing" ]; then
  echo "private headers included outside their framework:" >&2
  printf '%s' "$crossing" >&2
  failed=1
fi

internal=$(git ls-files -- 'platform/*/internal/*.h' | names)
if [ -n "$internal" ]; then
  leaked=$(git grep -nE "#include [<\"](${internal})[>\"]" -- "${sources[@]}" ':!platform/' ':!tests/' || true)
  if [ -n "$leaked" ]; then
    echo "internal platform headers included outside the platform layer and the tests:" >&2
    echo "$leaked" >&2
    failed=1
  fi
fi

[ "$failed" = 0 ] && echo "the platform's includes point down, and private headers stay home"
exit "$failed"
