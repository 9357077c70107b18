#!/usr/bin/env bash
# Checks the Debian package that `make package` built in BUILD_DIR the way a
# distribution would: lintian with no error and no warning, the AppStream
# metadata and the launcher through their validators, the versions of the
# changelog and of the AppStream releases against the package's, and the
# manual pages and completions where man and each shell look for them.
# Usage: check-package.sh BUILD_DIR
set -euo pipefail
build=${1:?usage: check-package.sh BUILD_DIR}
shopt -s nullglob
debs=("$build"/morvick_*.deb)
if [[ ${#debs[@]} -ne 1 ]]; then
  echo "check-package: expected one morvick_*.deb in $build, found ${#debs[@]}" >&2
  exit 1
fi
deb=${debs[0]}
failed=0

echo "lintian $deb"
# lintian notes on stderr that it runs as root (CI does); that is not about the package.
if report=$(lintian --fail-on error,warning "$deb" 2>&1); then status=0; else status=$?; fi
report=$(grep -v 'running with root privileges' <<<"$report" || true)
[[ -n $report ]] && echo "$report"
if [[ $status -eq 0 ]]; then
  echo "lintian: no errors, no warnings"
else
  echo "lintian: failed (exit status $status)"
  failed=1
fi

contents=$(mktemp -d)
trap 'rm -rf "$contents"' EXIT
dpkg-deb -x "$deb" "$contents"
share=$contents/usr/share

for metainfo in "$share"/metainfo/*.metainfo.xml; do
  echo "appstreamcli validate --no-net ${metainfo#"$contents"}"
  appstreamcli validate --no-net "$metainfo" || failed=1
done
for desktop in "$share"/applications/*.desktop; do
  echo "desktop-file-validate ${desktop#"$contents"}"
  if desktop-file-validate "$desktop"; then echo "desktop-file-validate: valid"; else failed=1; fi
done

version=$(dpkg-deb -f "$deb" Version)
changelog=$(mktemp -p "$contents")
zcat "$share/doc/morvick/changelog.gz" >"$changelog"
logged=$(dpkg-parsechangelog -l "$changelog" -S Version)
released=$(sed -n 's/.*<release version="\([^"]*\)".*/\1/p' "$share"/metainfo/*.metainfo.xml | head -n 1)
if [[ $logged != "$version" || $released != "$version" ]]; then
  echo "version $version: the changelog's newest entry is $logged, the AppStream release $released" >&2
  failed=1
fi

for file in man/man1/morvick.1.gz man/man1/morvick-cli.1.gz man/ja/man1/morvick.1.gz \
  man/ja/man1/morvick-cli.1.gz bash-completion/completions/morvick-cli \
  zsh/vendor-completions/_morvick-cli fish/vendor_completions.d/morvick-cli.fish; do
  if [[ ! -f $share/$file ]]; then
    echo "missing from the package: /usr/share/$file" >&2
    failed=1
  fi
done

if [[ $failed -ne 0 ]]; then
  echo "check-package: $deb fails the checks above" >&2
  exit 1
fi
echo "check-package: $deb passes lintian, appstreamcli, desktop-file-validate"
