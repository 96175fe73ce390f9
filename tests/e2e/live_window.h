#pragma once

// The real window against the virtual transmitter, with what the drills ask of it.
#include "support/window_fixture.h"

#include <QPushButton>
#include <QSaveFile>

namespace zfm::test {

class LiveWindow : public WindowTest {
protected:
    Station &station() { return window->station(); }
    // Nothing running and nothing waited for.
    bool idle() { return station().line().isIdle(); }
    void expectButtons(bool enabled)
    {
        for (const char *b : {"cmdReadRDS", "cmdSendSettings", "cmdSendRTPS", "cmdReadTX"})
            EXPECT_EQ(find<QPushButton>(b)->isEnabled(), enabled) << b;
    }
    int framesNamed(const char *name) const { return device->state().counters.framesNamed(name); }
    // Values stored before start, as a previous run would have left them.
    void storeAll(std::initializer_list<std::pair<const char *, QString>> values)
    {
        for (const auto &[key, text] : values)
            store(QLatin1String(key), text);
    }
    QString label(const char *name) { return find<QLabel>(name)->text(); }
    std::string shownBoxes() const { return boxes.texts().join(QLatin1Char('|')).toStdString(); }
    // Replaces a file whole, as most playout programs do.
    static void writeWhole(const QString &path, const QByteArray &content)
    {
        QSaveFile f(path);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(content);
        ASSERT_TRUE(f.commit());
    }
};

} // namespace zfm::test
