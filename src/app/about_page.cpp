#include "app/about_page.h"

#include "app/about_box.h"
#include "app/project.h"
#include "app/widgets.h"

#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QVBoxLayout>

namespace zfm {

AboutPage::AboutPage(QWidget *parent) : QWidget(parent)
{
    auto *layout = new QVBoxLayout(this);
    auto *top = new QHBoxLayout;
    auto *picture = new QLabel(this);
    picture->setPixmap(stationPicture(128));
    auto *text = new QLabel(QStringLiteral("<h2>ZephyrineFM+ v%1</h2>"
                                           "<p>Control program for the LumidraxFM V5 and LumidraxVesk FM transmitters "
                                           "with built-in RDS encoder.</p>"
                                           "<p>Built %2 with Qt %3.</p>")
                                .arg(QLatin1String(kVersion), QStringLiteral(__DATE__), QLatin1String(qVersion())),
        this);
    text->setWordWrap(true);
    top->addWidget(picture, 0, Qt::AlignTop);
    top->addWidget(text, 1);
    layout->addLayout(top);

    auto *form = new QFormLayout;
    firmware_ = ui::valueBox(this, "txtFWVersion", QString());
    firmware_->setToolTip(QStringLiteral("To fill use command 'Read TX'"));
    ui::addRow(form, QStringLiteral("Firmware version:"), firmware_);
    layout->addLayout(form);
    layout->addStretch();
}

} // namespace zfm
