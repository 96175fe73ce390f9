#pragma once

#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QRadioButton>
#include <QStringList>

class QFormLayout;

namespace zfm::ui {

// Small builders that give every control its object name (the name tests and
// automation use) and an accessible name (its caption, or the label beside it).

QComboBox *list(QWidget *parent, const char *objectName, const QStringList &labels);
QGroupBox *frame(QWidget *parent, const QString &title, const QString &toolTip = {});
// A button, tick box or option with its caption, object name and tool tip.
template <class Control>
Control *captioned(QWidget *parent, const char *objectName, const QString &caption, const QString &toolTip = {})
{
    auto *control = new Control(caption, parent);
    control->setObjectName(QLatin1String(objectName));
    control->setToolTip(toolTip);
    return control;
}
inline QRadioButton *option(
    QWidget *parent, const char *objectName, const QString &caption, const QString &toolTip = {})
{
    return captioned<QRadioButton>(parent, objectName, caption, toolTip);
}
// Adds "caption" and the widget as one row, with the label as the widget's buddy.
QLabel *addRow(QFormLayout *form, const QString &caption, QWidget *field);
// A read-only box for a value the transmitter reports.
QLabel *valueBox(QWidget *parent, const char *objectName, const QString &initial);

} // namespace zfm::ui
