#include "bench/common/LargeClinic.h"
#include "bench/support/BenchDb.h"
#include "db/Query.h"
#include "db/Schema.h"
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QUrl>
#include <algorithm>
#include <cmath>

using namespace Qt::StringLiterals;

namespace benchdata {

namespace {

// Row i of a table gets its values from integer hashes of i, written in SQL that both
// backends compute the same way (64-bit integers, integer division and remainder).
// Each table is filled by one INSERT … SELECT over a number series, so the series length, the
// clinic's sizes and the salts stand in the statement as integer literals: they are the
// generator's own numbers (QString::arg of an integer), never text from outside.
QString hash(const QString& i, int salt) { return u"((%1 * 2654435761 + %2) % 1000003)"_s.arg(i).arg(salt * 7919); }

class Generator {
public:
    Generator(db::Connection& c, const ClinicSize& s, const std::function<void(const QString&)>& log)
        : c_(c), s_(s), log_(log)
    {
    }

    void run()
    {
        if (c_.isSQLite()) {
            c_.execute(u"PRAGMA synchronous=OFF"_s);
            c_.execute(u"PRAGMA cache_size=-200000"_s);
        } else {
            c_.execute(u"SET synchronous_commit=off"_s);
        }
        step(u"收费标准表"_s, [&] { catalogue(); });
        step(u"病历卡表/病人简历表"_s, [&] { patients(); });
        step(u"收费收据表"_s, [&] { receipts(); });
        step(u"病历收费单"_s, [&] { payments(); });
        step(u"ShandongTicket_Table"_s, [&] { tickets(); });
        step(u"无病历收费单"_s, [&] { walkIns(); });
        step(u"收费明细表"_s, [&] { itemLines(); });
        step(u"PrePay_Table/PrePayReg_Table"_s, [&] { prepayments(); });
        step(u"ANALYZE"_s, [&] { bench::settleTables(c_); });
        if (c_.isSQLite()) c_.execute(u"PRAGMA synchronous=FULL"_s);
    }

private:
    template <class F>
    void step(const QString& what, F&& f)
    {
        QElapsedTimer t;
        t.start();
        if (what == QLatin1String("ANALYZE")) {
            f();
        } else {
            c_.execute(u"BEGIN"_s);
            f();
            c_.execute(u"COMMIT"_s);
        }
        if (log_) log_(u"%1: %2 ms"_s.arg(what).arg(t.elapsed()));
    }

    // "FROM <series of 1..n as i>" in the backend's own way.
    QString series(qint64 n) const
    {
        if (c_.isSQLite())
            return u"FROM (WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i+1 FROM n WHERE i < %1) SELECT i FROM n) s"_s
                .arg(n);
        return u"FROM generate_series(1::bigint, %1::bigint) AS s(i)"_s.arg(n);
    }

    // The moment of row i of n rows, spread over the days in order, during opening hours.
    QString moment(qint64 n, int salt) const
    {
        const QString day = u"((i - 1) * %1 / %2)"_s.arg(s_.days).arg(n);
        const QString second = u"(8 * 3600 + %1 % (11 * 3600))"_s.arg(hash(u"i"_s, salt));
        const QString first = s_.firstDay.toString(u"yyyy-MM-dd"_s);
        if (c_.isSQLite()) return u"datetime('%1', '+' || %2 || ' days', '+' || %3 || ' seconds')"_s.arg(first, day, second);
        return u"(TIMESTAMP '%1' + %2 * INTERVAL '1 day' + %3 * INTERVAL '1 second')"_s.arg(first, day, second);
    }

    // An amount of fen/100 in [0, max) for about one row in `every`, otherwise 0.
    QString amount(int salt, int every, int max) const
    {
        return u"(CASE WHEN %1 % %2 = 0 THEN (%3 % %4) / 100.0 ELSE 0 END)"_s.arg(hash(u"i"_s, salt)).arg(every)
            .arg(hash(u"i"_s, salt + 100)).arg(max * 100);
    }

    QString numbered(const QString& prefix, int salt, int count) const
    {
        return u"'%1' || (%2 % %3 + 1)"_s.arg(prefix, hash(u"i"_s, salt)).arg(count);
    }

    void catalogue()
    {
        db::execute(c_, u"INSERT INTO 收费标准表 (Office, 收费分类, TypeCode, 收费项目, ItemCode, 单位, 单价, IS_Discount, Discout_Value) "
                        u"SELECT '科室' || (i % %1 + 1), '类' || (i % 300), 'T' || (i % 300), '项目' || i, 'I' || i, '次', "
                        u"(%2 % 50000) / 100.0, i % 2, 1.0 %3"_s.arg(s_.departments).arg(hash(u"i"_s, 1)).arg(series(s_.feeItems)));
    }

    void patients()
    {
        db::execute(c_, u"INSERT INTO 病历卡表 (病历号, 病人编号, 病人姓名) SELECT i, 'P' || i, '病人' || i %1"_s.arg(series(s_.patients)));
        db::execute(c_, u"INSERT INTO 病人简历表 (病人编号, 病人姓名, IS_VIP) "
                        u"SELECT 'P' || i, '病人' || i, CASE WHEN i % 10 = 0 THEN 1 ELSE 0 END %1"_s.arg(series(s_.patients)));
    }

    // The twelve categories: registration on most receipts, medicines and treatment often,
    // the rest now and then.
    QString categories(int salt) const
    {
        const int every[12] = {2, 3, 20, 30, 10, 8, 3, 2, 6, 4, 5, 7};
        const int max[12] = {10, 200, 3000, 8000, 100, 300, 400, 800, 2000, 300, 300, 200};
        QStringList out;
        for (int k = 0; k < 12; ++k) out << amount(salt + k, every[k], max[k]) + u" AS a"_s + QString::number(k + 1);
        return out.join(u", "_s);
    }

    static QString categoryColumns()
    {
        return u"挂号费, 检查费, 镶牙费, 整畸费, 注射费, 中药费, 西药费, 治疗费, 手术费, 诊疗费, 放射费, 其它费用"_s;
    }

    static QString categorySum()
    {
        QStringList a;
        for (int k = 1; k <= 12; ++k) a << u"a"_s + QString::number(k);
        return a.join(u", "_s) + u", "_s + a.join(u" + "_s);
    }

    QString doctorColumns() const
    {
        // A doctor belongs to one department: doctor d works in department d % departments + 1.
        return u"'医生' || (%1 % %2 + 1) AS doctor, '科室' || ((%1 % %2 + 1) % %3 + 1) AS department"_s
            .arg(hash(u"i"_s, 40)).arg(s_.doctors).arg(s_.departments);
    }

    void receipts()
    {
        db::execute(c_, u"INSERT INTO 收费收据表 (病历号, 病人姓名, 日期, 医生姓名, 科室, 收款人, 付款, 备注, FeeIO, %1, 合计) "
                        u"SELECT patient, '病人' || patient, at, doctor, department, "
                        u"CASE WHEN paid THEN cashier ELSE ' ' END, CASE WHEN paid THEN '已付' ELSE '未付' END, ' ', 0, %2 "
                        u"FROM (SELECT i, %3 % %4 + 1 AS patient, %5 AS at, %6, %7 AS cashier, (%8 % 20 <> 0) AS paid, %9 %10) r"_s
                            .arg(categoryColumns(), categorySum(), hash(u"i"_s, 2)).arg(s_.patients)
                            .arg(moment(s_.receipts, 3), doctorColumns(), numbered(u"收款员"_s, 4, s_.cashiers), hash(u"i"_s, 5),
                                 categories(10), series(s_.receipts)));
    }

    void payments()
    {
        // One payment record per paid receipt; every tenth settled with a 10% discount.
        db::execute(c_, u"INSERT INTO 病历收费单 (病历号, ReceiptID, 总计应收费用, 实收费用, 收款金额, 余额, 原欠金额, 收款人, 日期, "
                        u"Discout_Type, Discout, MoneyPayed_type, CashMoney) "
                        u"SELECT 病历号, ID, 合计, pay, pay, 0, 0, 收款人, 日期, CASE WHEN ID % 10 = 0 THEN 0 ELSE -1 END, "
                        u"CASE WHEN ID % 10 = 0 THEN 0.9 ELSE 1 END, 0, pay "
                        u"FROM (SELECT *, CASE WHEN ID % 10 = 0 THEN ROUND(CAST(合计 * 0.9 AS NUMERIC), 2) ELSE 合计 END AS pay "
                        u"FROM 收费收据表 WHERE 付款 = '已付') p"_s);
    }

    void tickets()
    {
        // One invoice per paid receipt, numbered in order; one in a hundred voided.
        db::execute(c_, u"INSERT INTO ShandongTicket_Table (TicketID, ReceiptID, IsUsed) "
                        u"SELECT 100000 + ID, ID, CASE WHEN ID % 100 = 7 THEN 1 ELSE 0 END FROM 收费收据表 WHERE 付款 = '已付'"_s);
    }

    void walkIns()
    {
        db::execute(c_, u"INSERT INTO 无病历收费单 (病历号, 病人姓名, 性别, 年龄, 日期, 医生姓名, 科室, 收款人, 付款, 备注, %1, 合计, "
                        u"应收金额, 收款金额, 余额) "
                        u"SELECT 0, '散客' || i, '男', '30', at, doctor, department, cashier, '已付', ' ', %2, "
                        u"a1+a2+a3+a4+a5+a6+a7+a8+a9+a10+a11+a12, a1+a2+a3+a4+a5+a6+a7+a8+a9+a10+a11+a12, 0 "
                        u"FROM (SELECT i, %3 AS at, %4, %5 AS cashier, %6 %7) w"_s
                            .arg(categoryColumns(), categorySum(), moment(s_.walkIns, 6), doctorColumns(),
                                 numbered(u"收款员"_s, 7, s_.cashiers), categories(30), series(s_.walkIns)));
    }

    void itemLines()
    {
        // Standard item lines for about a third of the receipts and of the walk-in sheets.
        const QString line = u"'类' || (ID % 300), '项目' || (ID % %1 + 1), '次', 合计, 1, 合计, 日期"_s.arg(s_.feeItems);
        db::execute(c_, u"INSERT INTO 收费明细表 (收费类型, 收费项目, 单位, 标准, 数量, 金额, 日期, 收据编号, 收据类型) "
                        u"SELECT %1, ID, 0 FROM 收费收据表 WHERE ID % 3 = 0"_s.arg(line));
        db::execute(c_, u"INSERT INTO 收费明细表 (收费类型, 收费项目, 单位, 标准, 数量, 金额, 日期, 无病案编号, 收据类型) "
                        u"SELECT %1, ID, 1 FROM 无病历收费单 WHERE ID % 3 = 1"_s.arg(line));
    }

    void prepayments()
    {
        const qint64 accounts = std::max<qint64>(1, s_.prepayMovements / 50);
        db::execute(c_, u"INSERT INTO PrePay_Table (VIP_CODE, VIP_date, PrePayer_Name, PrePayer_type, VIP_address, VIP_grade_value) "
                        u"SELECT 'P' || (i * 7 % %1 + 1), %2, '会员' || i, 0, '地址' || (i % 40), 0 %3"_s
                            .arg(s_.patients).arg(moment(accounts, 50), series(accounts)));
        db::execute(c_, u"INSERT INTO PrePayReg_Table (PrePayer_ID, PrePay_Money, PreferMoney, PrePay_IO, PayMoney_Man, Checker, "
                        u"PayTime, PrePayType, IsFromFeeFlag) "
                        u"SELECT %1 % %2 + 1, (%3 % 100000) / 100.0, 0, CASE WHEN i % 3 = 0 THEN 1 ELSE 0 END, '会员', %4, %5, 0, 0 %6"_s
                            .arg(hash(u"i"_s, 51)).arg(accounts).arg(hash(u"i"_s, 52))
                            .arg(numbered(u"收款员"_s, 53, s_.cashiers), moment(s_.prepayMovements, 54), series(s_.prepayMovements)));
    }

    db::Connection& c_;
    const ClinicSize& s_;
    std::function<void(const QString&)> log_;
};

} // namespace

ClinicSize ClinicSize::scaled(double factor) const
{
    ClinicSize s = *this;
    const auto scale = [factor](qint64 n) { return std::max<qint64>(1, qint64(std::llround(double(n) * factor))); };
    s.receipts = scale(receipts);
    s.walkIns = scale(walkIns);
    s.feeItems = scale(feeItems);
    s.patients = scale(patients);
    s.prepayMovements = scale(prepayMovements);
    return s;
}

QString ClinicSize::describe() const
{
    return u"%1 receipts, %2 walk-in sheets, %3 fee items, %4 patients, %5 prepayment movements over %6 days from %7"_s
        .arg(receipts).arg(walkIns).arg(feeItems).arg(patients).arg(prepayMovements).arg(days)
        .arg(firstDay.toString(Qt::ISODate));
}

void generateClinic(db::Connection& c, const ClinicSize& size, const std::function<void(const QString&)>& log)
{
    Generator(c, size, log).run();
}

QString freshDatabase(const QString& backend, const QString& dir, const QString& name)
{
    QString url = u"sqlite:%1/%2.sqlite"_s.arg(dir, name);
    if (backend == QLatin1String("postgresql")) {
        const QString admin = qEnvironmentVariable("CALVANE_TEST_PG");
        if (admin.isEmpty()) throw db::Error(u"CALVANE_TEST_PG is not set"_s);
        {
            auto a = db::Connection::open(admin);
            a->execute(u"DROP DATABASE IF EXISTS %1"_s.arg(name));
            a->execute(u"CREATE DATABASE %1"_s.arg(name));
        }
        QUrl u(admin);
        u.setPath(u'/' + name);
        url = u.toString();
    }
    auto c = db::Connection::open(url);
    db::schema::migrate(*c);
    return url;
}

} // namespace benchdata
