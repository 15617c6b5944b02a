-- The cashier's day statement and the reports over ranges of days. A cashier's name is
-- compared as SQL Server compared it (lower(rtrim(…))), so the cashier indexes are on that
-- expression, followed by the date, and a day's statement reads only that day's rows.
CREATE INDEX ix_收费收据表_收款人_日期 ON 收费收据表 (lower(rtrim(收款人)), 日期);
CREATE INDEX ix_无病历收费单_收款人_日期 ON 无病历收费单 (lower(rtrim(收款人)), 日期);
CREATE INDEX ix_病历收费单_收款人_日期 ON 病历收费单 (lower(rtrim(收款人)), 日期);
-- Reports over a range read the paid receipts of those days.
CREATE INDEX ix_收费收据表_日期_付款 ON 收费收据表 (日期, 付款);
