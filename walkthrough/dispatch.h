#pragma once

#include <QString>

class QTreeWidget;

namespace mohr {

class TFigures;

// What a step needs from the window it runs in.
class TStepHost {
public:
    virtual ~TStepHost() = default;
    virtual TFigures& Figures() = 0;
    virtual void ClearMemo() = 0;
    // "add": append the text as a new line of the explanation box.
    virtual void AddExplanation(const QString& text) = 0;
    // Give the explanation box the focus and show its first line.
    virtual void ScrollMemoToTop() = 0;
    // Hide and show the element panel: it repaints from the layers after the handler returns.
    virtual void RefreshElementPanel() = 0;
    // The modal information box with one OK button.
    virtual void ShowInformation(const QString& text) = 0;
};

enum class TStepLanguage { Dutch, English };

// The common flow of a click on a step tree: progression rule, refusal message or explanation and
// drawing. A click with no selected node changes nothing. True when a step was taken.
bool HandleStepClick(TStepHost& host, QTreeWidget* tree, TStepLanguage language);

} // namespace mohr
