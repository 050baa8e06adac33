#pragma once

#include "exporter/figureexport.h"

#include <QBuffer>
#include <QByteArray>
#include <QPainter>
#include <QPdfWriter>
#include <QString>

namespace mohr {

// A printable handout of the walkthrough: an A4 PDF with one page per step, titled with the step's
// path in the tree, with its explanation as the program shows it and both panels as vector figures.
// All text is real text.
class THandout {
public:
    // `title` names the document and heads every page, with `pageOf`, "Step %1 of %2" in the walk's
    // language.
    THandout(const QString& title, const QString& pageOf);
    ~THandout();
    THandout(const THandout&) = delete;
    THandout& operator=(const THandout&) = delete;

    void AddPage(const TStepFigures& step);
    // The finished document; empty when it could not be made.
    QByteArray Finish();

private:
    QByteArray bytes_;
    QBuffer buffer_;
    QPdfWriter writer_;
    QPainter painter_;
    QString title_;
    QString pageOf_;
    bool failed_ = false;
};

// Dates the document with SOURCE_DATE_EPOCH (seconds since 1970, UTC) when that is set, for builds that
// must give the same bytes every time.
void StampSourceDate(QByteArray& pdf);

} // namespace mohr
