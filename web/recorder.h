#pragma once

#include <QByteArray>
#include <QJsonObject>
#include <QString>

#include <functional>

class QWidget;

namespace mohr {

// Everything the web edition's page shows and does for a step, taken from the running program: the
// texts of the main window in both languages, the trees, the explanations, the refusal, the accessible
// names and descriptions, what each step's click handler does, and the panels' replay orders (data.js);
// the panel sizes (figures.js). Returns an empty string, or a sentence saying why it could not.
// `prepare`, when given, is shown the main window before anything is taken from it.
QString CollectWebData(QJsonObject& data, QJsonObject& figures,
                       const std::function<void(QWidget&)>& prepare = {});

// A classic script that gives `object` to the page as `window.<variable>`: compact JSON, as Qt writes it.
QByteArray WebDataScript(const char* variable, const QJsonObject& object);

} // namespace mohr
