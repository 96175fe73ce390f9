#include "app/widgets.h"

#include <QFormLayout>

namespace zfm::ui {

QComboBox *list(QWidget *parent, const char *objectName, const QStringList &labels)
{
    auto *box = new QComboBox(parent);
    box->setObjectName(QLatin1String(objectName));
    box->addItems(labels);
    box->setMaxVisibleItems(16);
    return box;
}

QGroupBox *frame(QWidget *parent, const QString &title, const QString &toolTip)
{
    auto *box = new QGroupBox(title, parent);
    box->setToolTip(toolTip);
    box->setAccessibleName(title);
    return box;
}

QLabel *addRow(QFormLayout *form, const QString &caption, QWidget *field)
{
    // A buddy label reads "&" as a mnemonic; the captions mean the character.
    auto *label = new QLabel(QString(caption).replace(QLatin1Char('&'), QLatin1String("&&")));
    label->setBuddy(field);
    field->setAccessibleName(caption);
    form->addRow(label, field);
    return label;
}

QLabel *valueBox(QWidget *parent, const char *objectName, const QString &initial)
{
    auto *box = new QLabel(initial, parent);
    box->setObjectName(QLatin1String(objectName));
    box->setFrameShape(QFrame::StyledPanel);
    box->setFrameShadow(QFrame::Sunken);
    box->setTextInteractionFlags(Qt::TextSelectableByMouse);
    box->setMinimumWidth(box->fontMetrics().horizontalAdvance(QStringLiteral("0000D:00H:00M")) + 12);
    return box;
}

} // namespace zfm::ui
