#pragma once

#include "walkthrough/dispatch.h"

#include <QByteArray>
#include <QSize>
#include <QString>

#include <utility>
#include <vector>

namespace mohr {

// One language of the export: its folder, its name and the headings of its pages.
struct TLanguage {
    TStepLanguage Language;
    QString Code;
    QString Name;
    QString StepHeading;
    QString DiagramHeading;
    QString HandoutTitle;
    QString PageOf; // where a handout's page stands in the walk
};

// The languages in the order they are written.
const std::vector<TLanguage>& Languages();

// A step's row on the index page.
struct TIndexEntry {
    int Index;
    int Level;
    QString Text;
    QString Explanation;
};

// The file name of step `index`'s figures, without panel and suffix: "step-00".
QString StepName(int index);

QString HandoutName(const TLanguage& language);

// The index page: every step of every walk with its explanation and both panels, linking the handouts.
QByteArray IndexPage(const std::vector<std::pair<TLanguage, std::vector<TIndexEntry>>>& walks,
                     QSize elementSize, QSize diagramSize);

} // namespace mohr
