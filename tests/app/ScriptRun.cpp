#include "ScriptRun.h"
#include "calvane/calvane.h"
#include <QFile>
#include <QJsonDocument>
#include <QTest>

ScriptRun::ScriptRun(const QJsonArray& steps, const QString& printTo)
{
    QJsonObject script{{QStringLiteral("transcript"), transcriptPath()}, {QStringLiteral("steps"), steps}};
    if (!printTo.isEmpty()) script.insert(QStringLiteral("print_to"), printTo);
    QFile f(path());
    if (!f.open(QIODevice::WriteOnly)) qFatal("cannot write the script");
    f.write(QJsonDocument(script).toJson());
    f.close();
    if (CalvaneSetUiScript(path().toUtf8().constData()) != 0) qFatal("CalvaneSetUiScript: %s", CalvaneLastError());
}

ScriptRun::~ScriptRun() { CalvaneSetUiScript(nullptr); }

QList<QJsonObject> ScriptRun::transcript() const
{
    QList<QJsonObject> lines;
    QFile f(transcriptPath());
    if (!f.open(QIODevice::ReadOnly)) return lines;
    for (const QByteArray& line : f.readAll().split('\n'))
        if (!line.trimmed().isEmpty()) lines << QJsonDocument::fromJson(line).object();
    return lines;
}

QList<QJsonObject> ScriptRun::events(const QString& kind) const
{
    QList<QJsonObject> found;
    for (const QJsonObject& o : transcript())
        if (o.value(QStringLiteral("event")).toString() == kind) found << o;
    return found;
}

QJsonArray steps(const char* json) { return QJsonDocument::fromJson(QByteArray(json)).array(); }
