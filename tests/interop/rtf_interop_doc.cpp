// Writes a report built from several appended entries, for checking that a
// word processor opens it: rtf_interop_doc <file.rtf>

#include <cstdio>
#include <filesystem>
#include <string>

#include "report/rtf/rtf.h"

namespace {

// Two empty paragraphs between entries, as appended entries do.
void Separate(rtf::report& doc) {
    doc << rtf::par << rtf::par;
}

rtf::table ChannelTable(const char* const (*cells)[4], int rows, int width) {
    rtf::table t(rows, 4);
    for (int j = 0; j < 4; ++j) {
        t.setColumnWidth(j, width);
        for (int i = 0; i < rows; ++i) t.rowAt(i)->cellAt(j)->apply(rtf::alignCenter);
    }
    t.rowAt(0)->setRowFlags(rtf::kRowHeader | rtf::kRowKeep);
    for (int i = 0; i < rows; ++i)
        for (int j = 0; j < 4; ++j) {
            rtf::cell& c = *t.rowAt(i)->cellAt(j);
            if (i == 0)
                c.apply(rtf::bold);
            else
                c.apply(rtf::italic).apply(rtf::colorBlue);
            c << cells[i][j];
        }
    return t;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s <file.rtf>\n", argv[0]);
        return 2;
    }
    std::filesystem::path path = argv[1];
    std::error_code ec;
    std::filesystem::remove(path, ec);

    // Entry 1 creates the file.
    rtf::report first;
    first.add(rtf::fontsize(14));
    first << rtf::colorAuto << rtf::font0 << rtf::alignCenter << rtf::bold << "Отчет о вибрации"
          << rtf::par;
    first.add(rtf::fontbold(false));
    first << rtf::alignLeft << "Дата"
          << " "
          << "06.12.2026"
          << "\t"
          << "Время"
          << " "
          << "14:03:27" << rtf::par;
    first << rtf::italic << "Курсивная строка" << rtf::par;
    first.add(rtf::fontitalic(false));
    first.add(rtf::fontcolor(10));
    first << "Красный текст" << rtf::colorBlue << " и синий текст" << rtf::colorAuto << rtf::par;
    first << "Скобки {фигурные} и обратная косая \\ черта" << rtf::par;
    if (!first.save(path)) return 1;

    // Entry 2 appends a bordered table.
    static const char* const kTable1[][4] = {
        {"Компонента", "Частота, Гц", "Уровень", "Совпадения"},
        {"Вал 1", "25.00", "1.23", "Зубцовая"},
        {"Подшипник", "147.50", "0.45", "-"},
        {"Редуктор", "1250.0", "7.80", "Вал 2"},
    };
    rtf::report second;
    Separate(second);
    second.add(rtf::fontsize(10));
    second << rtf::colorAuto << rtf::font0 << rtf::alignLeft << "Канал А1";
    rtf::table t1 = ChannelTable(kTable1, 4, 2592);
    t1.setAllBorders();
    second.add(std::move(t1));
    if (!second.save(path)) return 1;

    // Entry 3 starts a landscape section with a wider table.
    static const char* const kTable2[][4] = {
        {"Компонента", "Частота, Гц", "Уровень", "Совпадения"},
        {"Лопатки", "3200.0", "12.5", "Нет"},
    };
    rtf::report third;
    third.add(rtf::term("\\sect\\sectd\\psz9"));
    third.add(rtf::landscape());
    third.add(rtf::fontsize(10));
    third << rtf::colorAuto << rtf::font0 << rtf::alignLeft << "Альбомный раздел" << rtf::par;
    third << "Канал Б2";
    third.add(ChannelTable(kTable2, 2, 3744));
    third << rtf::par << "Конец отчета";
    if (!third.save(path)) return 1;
    return 0;
}
