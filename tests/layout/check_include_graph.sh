#!/usr/bin/env bash
# Usage: check_include_graph.sh, run from the repository's top folder.
# The platform's includes point down: the backends include no framework header (public or
# private), and no framework includes a backend implementation header (device/, testing/).
set -euo pipefail
frameworks='CoreFoundation|Foundation|IOKit|AppSupport|SpringBoardServices|UIKit|objc|substrate'
failed=0

# Public headers by their folders, private ones by the names of the frameworks' src/ headers.
private=$(git ls-files -- 'platform/*/src/*.h' | grep -v '^platform/backends/' | xargs -r -n1 basename | sort -u | paste -sd'|' -)
up=$(git grep -nE "#include [<\"]((${frameworks})/|substrate\.h|(${private})[>\"])" -- 'platform/backends' || true)
if [ -n "$up" ]; then
  echo "the backends include framework headers:" >&2
  echo "$up" >&2
  failed=1
fi

implementation=$(git ls-files -- 'platform/backends/device/*.h' 'platform/backends/testing/*.h' | xargs -r -n1 basename | sort -u | paste -sd'|' -)
framework_dirs=$(git ls-files -- 'platform/*/*' | cut -d/ -f2 | sort -u | grep -vxE 'backends|testkit' | sed 's|^|platform/|')
down=$(git grep -nE "#include [<\"]([a-z]+/)?(${implementation})[>\"]" -- $framework_dirs || true)
if [ -n "$down" ]; then
  echo "frameworks include backend implementation headers:" >&2
  echo "$down" >&2
  failed=1
fi

[ "$failed" = 0 ] && echo "the platform's includes point down"
exit "$failed"
