# Writes the manual page zhurnal.1 from the program's own --help text, so that
# the page and the program never disagree about a command or an option.
# Usage: cmake -DZHURNAL=PROGRAM -DOUTPUT=FILE -DVERSION=X.Y.Z -P manpage.cmake
execute_process(COMMAND "${ZHURNAL}" --help OUTPUT_VARIABLE usage RESULT_VARIABLE rc
                ENCODING UTF-8)
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "${ZHURNAL} --help failed: ${rc}")
endif()
# roff: a backslash is written \e; a line starting with a dot or an apostrophe
# would be a request, so it gets a zero-width \& in front; "-" is a real minus
# in option names.
string(REPLACE "\\" "\\e" usage "${usage}")
string(REPLACE "-" "\\-" usage "${usage}")
string(REGEX REPLACE "(^|\n)([.'])" "\\1\\\\&\\2" usage "${usage}")
# The date honours SOURCE_DATE_EPOCH, for a reproducible package.
string(TIMESTAMP today "%Y-%m-%d" UTC)
file(WRITE "${OUTPUT}" ".\\\" Made from the output of \"zhurnal --help\".
.TH ZHURNAL 1 \"${today}\" \"zhurnal ${VERSION}\" \"Команды пользователя\"
.SH ИМЯ
zhurnal \\- журнал успеваемости: оценки групп по предметам, рейтинг, итоги и отчёты
.SH ОБЗОР
.B zhurnal
.RB [ \\-\\-data
.IR ПАПКА ]
.br
.B zhurnal results
.I ПАПКА_ЖУРНАЛА
.RB [ \\-\\-data
.IR КОРЕНЬ ]
.RI [ параметры ]
.br
.B zhurnal report
.I ВИД ПАПКА_ЖУРНАЛА
.RB [ \\-\\-data
.IR КОРЕНЬ ]
.RI [ параметры ]
.SH ОПИСАНИЕ
Учитель ведёт по журналу на каждую группу и предмет: студенты в строках, занятия в столбцах,
у каждого занятия дата, код темы и вес. Программа считает взвешенную сумму, процент,
оценки по 10\\-балльной и 5\\-балльной шкале, пропуски и место каждого студента, распределение
оценок группы и печатает отчёты.
.PP
Без слова
.B results
или
.B report
программа открывает окно входа и журналы корня данных.
Команда
.B results
выводит итоги журнала без окна,
.B report
пишет печатный отчёт.
.SH ПАРАМЕТРЫ
.nf
${usage}.fi
.SH ФАЙЛЫ
.TP
.I КОРЕНЬ/Baza/Gurnali.txt
каталог журналов
.TP
.I КОРЕНЬ/Baza/Pasport.txt
шкала оценок
.TP
.I КОРЕНЬ/ГРУППА/ПАПКА_ЖУРНАЛА/
файлы журнала (SpStud.txt, ColSpStud.txt, SpTem.txt); все файлы данных \\(em текст cp1251 с концами строк CR LF
.TP
.I /usr/share/zhurnal/demo
демонстрационный корень данных; при первом запуске из меню рабочего стола он копируется в
.I ~/.local/share/zhurnal/demo
.TP
.I /usr/share/zhurnal/help
страницы справки
.SH ПРИМЕРЫ
.nf
zhurnal \\-\\-data ~/.local/share/zhurnal/demo
zhurnal results ИВТ\\-21/Информатика \\-\\-data /usr/share/zhurnal/demo
.fi
")
