// Writes the step table of steptable.h, with the explanations held word for word, as JSON, for the Python
// drivers of the end-to-end tests, so that the table has one home. Usage: steptable_json OUTPUT.json
#include "steptable.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <cstdio>

int main(int argc, char* argv[]) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: steptable_json OUTPUT.json\n");
        return 2;
    }
    QJsonArray rows;
    for (const mohr::test::TStepRow& row : mohr::test::StepTable)
        rows.append(QJsonObject{{QStringLiteral("level"), row.Level},
                                {QStringLiteral("parent"), row.Parent},
                                {QStringLiteral("dutch"), QString::fromUtf16(row.Dutch)},
                                {QStringLiteral("english"), QString::fromUtf16(row.English)}});
    for (const mohr::test::TLiteralExplanation& literal : mohr::test::LiteralExplanations) {
        QJsonObject row = rows[literal.Node].toObject();
        row[QStringLiteral("explanation")] =
            QJsonArray{QString::fromUtf16(literal.Dutch), QString::fromUtf16(literal.English)};
        rows[literal.Node] = row;
    }
    QFile file(QString::fromLocal8Bit(argv[1]));
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) ||
        file.write(QJsonDocument(rows).toJson()) < 0 || !file.flush()) {
        std::fprintf(stderr, "steptable_json: cannot write %s\n", argv[1]);
        return 1;
    }
    return 0;
}
