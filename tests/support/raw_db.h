#pragma once

// A connection of the test's own to a station log file, as sqlite3 or
// another program would have, to look at what the program wrote.
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QString>
#include <QVariantList>

#include <vector>

namespace zfm::test {

class RawDb {
public:
    explicit RawDb(const QString &path) : name_(QStringLiteral("raw-%1").arg(next()++))
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), name_);
        db.setDatabaseName(path);
        db.setConnectOptions(QStringLiteral("QSQLITE_BUSY_TIMEOUT=5000"));
        db.open();
    }
    ~RawDb()
    {
        QSqlDatabase::database(name_, false).close();
        QSqlDatabase::removeDatabase(name_);
    }
    RawDb(const RawDb &) = delete;
    RawDb &operator=(const RawDb &) = delete;

    // Every row of the statement, each as its columns.
    std::vector<QVariantList> rows(const QString &sql) const
    {
        std::vector<QVariantList> out;
        QSqlQuery q(QSqlDatabase::database(name_, false));
        if (!q.exec(sql))
            lastError_ = q.lastError().text();
        while (q.next()) {
            QVariantList row;
            for (int i = 0; i < q.record().count(); ++i)
                row << q.value(i);
            out.push_back(row);
        }
        return out;
    }
    QVariant value(const QString &sql) const
    {
        const auto r = rows(sql);
        return r.empty() || r.front().isEmpty() ? QVariant() : r.front().front();
    }
    bool exec(const QString &sql) const
    {
        QSqlQuery q(QSqlDatabase::database(name_, false));
        const bool ok = q.exec(sql);
        if (!ok)
            lastError_ = q.lastError().text();
        return ok;
    }
    QString lastError() const { return lastError_; }

private:
    static int &next()
    {
        static int n = 0;
        return n;
    }
    QString name_;
    mutable QString lastError_;
};

} // namespace zfm::test
