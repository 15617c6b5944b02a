#pragma once
#include "app/HostConnection.h"
#include "calvane/calvane.h"
#include "db/Schema.h"
#include "tests/rx/StockFixture.h"
#include "tests/support/TestDb.h"
#include <QJsonArray>
#include <QJsonObject>

// A clinic for the prescription dialogs: two doctors, a nurse, three medicines in two
// categories, the stock switch as asked, and a host connection to it.
namespace rxclinic {

inline const QString amox = QStringLiteral("阿莫西林");
inline const QString caps = QStringLiteral("0.25g*24");

struct Host {
    CalvaneConnection* conn = nullptr;
    Host(const QString& backend, bool keepStock)
    {
        if (CalvaneConnect(testdb::freshUrl(backend).toUtf8().constData(), &conn) != 0) qFatal("%s", CalvaneLastError());
        db::Connection& c = db();
        db::schema::migrate(c);
        stockfixture::keepStock(c, keepStock);
        for (const QStringList& d : QList<QStringList>{{"王医生", "D01", "口腔科"}, {"李医生", "D02", "正畸科"}})
            db::AddRecord(c, QStringLiteral("主治医生表"),
                          {{QStringLiteral("医生姓名"), d[0]}, {QStringLiteral("医生编号"), d[1]}, {QStringLiteral("科室"), d[2]}}, {});
        db::AddRecord(c, QStringLiteral("护士表"), {{QStringLiteral("护士"), QStringLiteral("刘护士")}}, {});
        stockfixture::addMedicine(c, QStringLiteral("西药"), amox, caps, 10.0);
        stockfixture::addMedicine(c, QStringLiteral("西药"), QStringLiteral("布洛芬"), QStringLiteral("0.3g*20"), 8.0);
        stockfixture::addMedicine(c, QStringLiteral("中药"), QStringLiteral("板蓝根"), QStringLiteral("10g*20"), 12.5);
    }
    ~Host() { CalvaneDisconnect(conn); }
    Host(const Host&) = delete;
    Host& operator=(const Host&) = delete;
    db::Connection& db() { return *conn->connection; }
};

// The steps that pick a medicine through the cascading lists and add it with a quantity.
inline QJsonArray addLine(const QString& category, const QString& name, const QString& spec, const QString& quantity)
{
    return {QJsonObject{{"choose", "类别"}, {"item", category}}, QJsonObject{{"choose", "名称"}, {"item", name}},
            QJsonObject{{"choose", "规格"}, {"item", spec}},     QJsonObject{{"set", "数量"}, {"to", quantity}},
            QJsonObject{{"click", "添加"}}};
}

inline QJsonArray operator+(QJsonArray a, const QJsonArray& b)
{
    for (const QJsonValue& v : b) a.append(v);
    return a;
}

inline QJsonArray click(const char* label) { return {QJsonObject{{"click", QString::fromUtf8(label)}}}; }
inline QJsonArray inDialog(const char* title) { return {QJsonObject{{"dialog", QString::fromUtf8(title)}}}; }

} // namespace rxclinic
