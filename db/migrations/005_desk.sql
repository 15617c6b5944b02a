-- The front desk: the clinic's list of cashiers who sign in, and what finding a patient as the
-- cashier types needs on a clinic of any size. {BYTEWISE} orders text by its bytes (PostgreSQL's
-- "C" collation; SQLite's default), so that a prefix is one range of each index whatever the
-- server's locale.

-- 停用 = 1: kept for the old receipts that name the cashier, no longer offered at sign-in.
CREATE TABLE 收款员表 (ID {ID}, 收款员 TEXT, 停用 SMALLINT);
-- A clinic that already works starts with the cashiers its settlements and walk-in sheets name.
INSERT INTO 收款员表 (收款员, 停用)
  SELECT name, 0 FROM (SELECT trim(收款人) AS name FROM 病历收费单 UNION SELECT trim(收款人) FROM 无病历收费单) known
  WHERE name IS NOT NULL AND name <> '' ORDER BY name;

-- 拼音码: the pinyin initials of 病人姓名, lowercase ("zw" for 张伟); 电话: the patient's phone.
ALTER TABLE 病历卡表 ADD COLUMN 拼音码 TEXT;
ALTER TABLE 病历卡表 ADD COLUMN 电话 TEXT;
CREATE INDEX ix_病历卡表_病人姓名_prefix ON 病历卡表 (病人姓名{BYTEWISE});
CREATE INDEX ix_病历卡表_拼音码_prefix ON 病历卡表 (拼音码{BYTEWISE});
CREATE INDEX ix_病历卡表_电话_prefix ON 病历卡表 (电话{BYTEWISE});
CREATE INDEX ix_病历卡表_病人编号_prefix ON 病历卡表 ((lower(病人编号){BYTEWISE}));
-- Cases the clinic system registered without initials, for the desk to fill in by small batches.
CREATE INDEX ix_病历卡表_拼音码_missing ON 病历卡表 (病历号) WHERE 拼音码 IS NULL;
