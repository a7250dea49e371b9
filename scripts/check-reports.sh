#!/usr/bin/env bash
# Builds every report of the demo data root with "zhurnal report", converts each
# document to PDF with LibreOffice and checks the text the PDF shows (pdftotext),
# its fonts and its pages. Installs poppler-utils when missing, and
# libreoffice-writer-nogui only when no LibreOffice ("soffice") is there: the
# full word processor must never be swapped for the headless one. Not part of
# the test command: LibreOffice takes its time.
# Usage: scripts/check-reports.sh [BUILD_DIR] [OUTPUT_DIR]
set -euo pipefail
here="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
build="${1:-$here/build}"
out="${2:-$(mktemp -d)}"
mkdir -p "$out"
zhurnal="$build/src/app/zhurnal"
demo="$here/examples/demo"
[ -x "$zhurnal" ] || { echo "Нет программы $zhurnal: сначала соберите проект (scripts/setup.sh)." >&2; exit 2; }

packages=(poppler-utils fonts-liberation)
command -v soffice >/dev/null 2>&1 || packages+=(libreoffice-writer-nogui)
"$here/scripts/install-packages.sh" "${packages[@]}"

date=08.12.2026
journal="ИВТ-21/Информатика"
student="Воронин Владислав"
failures=0

# Each report: its arguments, then the texts its PDF must show (blanks as
# pdftotext lays them out are squeezed to one before the comparison; a title
# that wraps in its narrow column is checked word by word).
check() {
  local name="$1"; shift
  local args=()
  while [ "$1" != "--" ]; do args+=("$1"); shift; done
  shift
  "$zhurnal" report "${args[@]}" --data "$demo" --date "$date" -o "$out/$name.docx" >/dev/null
  soffice --headless -env:UserInstallation="file://$out/lo-profile" --convert-to pdf --outdir "$out" "$out/$name.docx" >/dev/null 2>&1
  [ -s "$out/$name.pdf" ] || { echo "НЕ ПРОШЁЛ: $name — LibreOffice не сделал PDF"; failures=$((failures + 1)); return; }
  pdftotext -layout "$out/$name.pdf" "$out/$name.txt"
  local text
  text="$(tr -s ' ' < "$out/$name.txt")"
  local ok=1
  for expected in "$@"; do
    if ! grep -qF -- "$expected" <<<"$text"; then
      echo "НЕ ПРОШЁЛ: $name — нет текста «$expected»"
      ok=0
    fi
  done
  # The footer's page number and page count, as the word processor fills them.
  if ! grep -qE -- "Стр\. 1 из [0-9]+" <<<"$text"; then
    echo "НЕ ПРОШЁЛ: $name — нет номера страницы «Стр. 1 из N» внизу страницы"
    ok=0
  fi
  # The text font is the document's Times New Roman or its metric twin.
  if ! pdffonts "$out/$name.pdf" | grep -qiE "Times|LiberationSerif|Liberation Serif"; then
    echo "НЕ ПРОШЁЛ: $name — шрифт не Times New Roman и не Liberation Serif"
    ok=0
  fi
  local pages
  pages="$(pdfinfo "$out/$name.pdf" | awk '/^Pages:/ {print $2}')"
  if [ "$ok" = 1 ]; then
    echo "прошёл: $name ($pages стр.)"
  else
    failures=$((failures + 1))
  fi
  pdftoppm -png -r 70 -f 1 -l 1 "$out/$name.pdf" "$out/$name"
}

check journal journal "$journal" -- \
  "Накопленный рейтинг На $date Папка Информатика" "Группа ИВТ-21" "Информатика Семестр 1" \
  "Оценка" "Подпись" "Итого" "Бондаренко Софья" "Яковлева Ксения" \
  "Успеваемость=" "Качество=" "Степень обученности=" "Шкала перевода" "Отлично" "Не удовлетворительно"
check dossier dossier "$journal" --student "$student" -- \
  "$student На $date" "Группа ИВТ-21 Семестр 1 Предмет Информатика Папка Информатика" \
  "Балл" "накоп" "*** " "Накопленный рейтинг" "Успеваемость" "Шкала"
check ticket ticket "$journal" --student "$student" -- \
  "$student Билет $date" "Группа ИВТ-21 Семестр 1 Предмет" "Информатика Папка Информатика" \
  "Сред." "накоп" "*** " "Оценка ___________ Преподаватель ____________/______________/"
check themes themes "$journal" -- \
  "Группа ИВТ-21 Семестр 1 год" "Папка Информатика Темы: выполнено На $date" "Макс" "Сред." "Тема"
check plan plan "$journal" -- \
  "Темы: План На $date" "Группа ИВТ-21 Семестр 1 Предмет Информатика Папка Информатика" "Предмет, Тема"
check catalogue catalogue -- \
  "Список Предметов / Папка На $date" "Папка" "Группа" "Предмет" "Год" "РП" "Основы программирования"

echo "Документы, PDF и картинки первых страниц: $out"
if [ "$failures" -gt 0 ]; then
  echo "Не прошли: $failures"
  exit 1
fi
echo "Все отчёты прошли."
