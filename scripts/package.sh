#!/usr/bin/env bash
# Builds the Debian package of zhurnal with CPack and checks it: the listing
# (dpkg-deb -c), lintian when it is installed, and an install into a scratch
# root where the installed program must tell its version and compute the
# results of a journal of the installed demo data root.
# Usage: scripts/package.sh [BUILD_DIR [OUTPUT_DIR]]
#   BUILD_DIR   a build folder to package (default: build-deb, a Release build
#               made here without tests); an existing one is built, not reconfigured
#   OUTPUT_DIR  where the .deb goes (default: BUILD_DIR/package)
set -euo pipefail
here="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
build="${1:-$here/build-deb}"
out="${2:-$build/package}"

if [ ! -f "$build/CMakeCache.txt" ]; then
  "$here/scripts/setup.sh" "$build" -DCMAKE_BUILD_TYPE=Release -DZHURNAL_TESTS=OFF -DZHURNAL_BENCH=OFF >/dev/null
fi
cmake --build "$build" -j"$(nproc)" --target zhurnal zhurnal_package_files
mkdir -p "$out"
rm -f "$out"/zhurnal_*.deb
(cd "$build" && cpack -G DEB -B "$out" >"$out/cpack.log" 2>&1) || { cat "$out/cpack.log" >&2; exit 1; }
deb="$(ls "$out"/zhurnal_*.deb)"
echo "Пакет: $deb"

fail() { echo "Пакет $deb: $*" >&2; exit 1; }

# What must be inside, where a desktop expects it.
listing="$(dpkg-deb -c "$deb")"
for path in ./usr/bin/zhurnal ./usr/libexec/zhurnal/zhurnal-desktop \
            ./usr/share/zhurnal/help/index.html ./usr/share/zhurnal/demo/Baza/Gurnali.txt \
            ./usr/share/applications/zhurnal.desktop ./usr/share/icons/hicolor/scalable/apps/zhurnal.svg \
            ./usr/share/icons/hicolor/256x256/apps/zhurnal.png ./usr/share/man/man1/zhurnal.1.gz \
            ./usr/share/doc/zhurnal/copyright ./usr/share/doc/zhurnal/changelog.Debian.gz; do
  grep -q " $path\$" <<<"$listing" || fail "нет файла $path"
done
if grep -v '^d' <<<"$listing" | grep -q -E ' \./usr/(lib|include)/.*\.(a|h)$'; then
  fail "в пакет попали библиотеки или заголовки сборки"
fi
depends="$(dpkg-deb -f "$deb" Depends)"
echo "Depends: $depends"
for lib in libqt6widgets6 libqt6charts6 libzip4 libxlsxwriter qt6-qpa-plugins libc6; do
  grep -q "$lib" <<<"$depends" || fail "в Depends нет $lib"
done

if command -v lintian >/dev/null 2>&1; then
  # Errors stop; warnings are shown.
  lintian --tag-display-limit 0 "$deb" | tee "$out/lintian.log" || true
  if grep -q '^E:' "$out/lintian.log"; then fail "lintian нашёл ошибки"; fi
fi

# An install by dpkg into a scratch root with a database of its own (the
# libraries come from this machine, so the dependencies are not asked for
# there), then the installed program is run from it.
root="$(mktemp -d)"
trap 'chmod -R u+w "$root" 2>/dev/null; rm -rf "$root"' EXIT
mkdir -p "$root/var/lib/dpkg/info" "$root/var/lib/dpkg/updates"
touch "$root/var/lib/dpkg/status"
dpkg --root="$root" --force-depends --force-not-root --log=/dev/null -i "$deb" >"$out/dpkg.log" 2>&1 \
  || { cat "$out/dpkg.log" >&2; fail "dpkg не установил пакет"; }
"$root/usr/bin/zhurnal" --version | grep -q "версия" || fail "zhurnal --version не назвал версию"
demo="$root/usr/share/zhurnal/demo"
chmod -R a-w "$demo"   # installed data are read-only for a teacher
"$root/usr/bin/zhurnal" results "ИВТ-21/Информатика" --data "$demo" --format json >"$root/results.json" \
  || fail "zhurnal results на установленных демонстрационных данных завершился ошибкой"
grep -q '"itog"' "$root/results.json" || fail "zhurnal results не вывел итоги"
# The desktop entry's launcher copies the demo root once into the user's data folder.
HOME="$root/home" XDG_DATA_HOME="$root/home/data" QT_QPA_PLATFORM=offscreen \
  timeout 5 "$root/usr/libexec/zhurnal/zhurnal-desktop" --version >/dev/null || fail "ярлык рабочего стола не запустил программу"
[ -f "$root/home/data/zhurnal/demo/Baza/Gurnali.txt" ] || fail "ярлык не скопировал демонстрационные данные"
chmod -R u+w "$demo"
# A removal takes every installed file away again.
dpkg --root="$root" --force-depends --force-not-root --log=/dev/null -r zhurnal >>"$out/dpkg.log" 2>&1 \
  || { cat "$out/dpkg.log" >&2; fail "dpkg не удалил пакет"; }
[ ! -e "$root/usr/bin/zhurnal" ] && [ ! -e "$root/usr/share/zhurnal" ] || fail "после удаления остались файлы"
echo "Пакет проверен: $deb"
