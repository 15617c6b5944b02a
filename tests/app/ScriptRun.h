#pragma once
#include <QJsonArray>
#include <QJsonObject>
#include <QList>
#include <QString>
#include <QTemporaryDir>

// A script for the next export calls, set through the C API, with its own transcript.
class ScriptRun {
public:
    explicit ScriptRun(const QJsonArray& steps, const QString& printTo = QString());
    ~ScriptRun();
    QString path() const { return dir_.filePath(QStringLiteral("script.json")); }
    QString transcriptPath() const { return dir_.filePath(QStringLiteral("transcript.jsonl")); }
    QList<QJsonObject> transcript() const;
    // The transcript's events of one kind ("open", "close", "message", "error").
    QList<QJsonObject> events(const QString& kind) const;

private:
    QTemporaryDir dir_;
};

// Steps from compact JSON text, e.g. R"([{"click":"确定"}])".
QJsonArray steps(const char* json);
