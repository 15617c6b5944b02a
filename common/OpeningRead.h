#pragma once
#include <QString>
#include <exception>

// A look-up a dialog makes for its lists and defaults (doctors, nurses, settings, a member's
// rate): one that fails leaves what it had filled, and the dialog works on without it. False
// when it failed.
template <typename F> bool optionalRead(F&& read)
{
    try {
        read();
        return true;
    } catch (const std::exception&) {
        return false;
    }
}

// A read a dialog makes as it opens and without which it must not save: the receipt it settles
// or edits. The dialog opens whatever happens, but a failed read is kept, and the save refuses
// with it before judging fields that were never filled: a cashier whose server went away reads
// what the database said, not "医生信息不应为空!".
class OpeningRead {
public:
    template <typename F> void operator()(F&& read)
    {
        try {
            read();
        } catch (const std::exception& e) {
            if (failure_.isEmpty()) failure_ = QString::fromUtf8(e.what());
        }
    }
    bool failed() const { return !failure_.isEmpty(); }
    // The database's own words, for the host's error record.
    const QString& failure() const { return failure_; }
    // What the cashier is told: "发生错误!" and the first line of the database's words, without
    // the statement they came from.
    QString message() const
    {
        QString why = failure_.section(QLatin1Char('\n'), 0, 0);
        if (const qsizetype sql = why.indexOf(QLatin1String(" [")); sql > 0) why.truncate(sql);
        return QStringLiteral("发生错误!\n读取单据失败：%1").arg(why.trimmed());
    }

private:
    QString failure_;
};
