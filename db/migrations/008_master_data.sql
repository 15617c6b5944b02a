-- What a manager keeps at the desk besides cashiers, doctors and patients.

-- 停用 = 1: a catalogue item that receipt lines name is kept for them, but no picker offers it.
ALTER TABLE 收费标准表 ADD COLUMN 停用 SMALLINT;

-- Stock intake (材料入库): every delivery booked into a batch of 材料库存表 (KBID), with the
-- supplier's batch number (批号) and the price paid. A batch is one medicine, strength, batch
-- number and expiry; a second delivery of the same batch adds to it.
ALTER TABLE 材料库存表 ADD COLUMN 批号 TEXT;
CREATE TABLE 材料入库表 (
  入库编号 {ID},
  KBID INTEGER, 名称 TEXT, 规格 TEXT, 单位 TEXT, 批号 TEXT,
  数量 DOUBLE PRECISION, 入库价格 DOUBLE PRECISION, 总价 DOUBLE PRECISION,
  ExpireDate TIMESTAMP, 日期 TIMESTAMP, 经手人 TEXT, 备注 TEXT
);
CREATE INDEX ix_材料入库表_KBID ON 材料入库表 (KBID);
CREATE INDEX ix_材料入库表_日期 ON 材料入库表 (日期);

-- The patient's birth date, beside the age the clinic system keeps as text.
ALTER TABLE 病人简历表 ADD COLUMN 出生日期 TIMESTAMP;
