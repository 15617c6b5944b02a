-- The clinic database as the billing module and the rest of the clinic system share it.
-- Written once for both dialects: {ID} becomes the dialect's identity key. Names are the
-- clinic's own and are used unquoted everywhere, so PostgreSQL folds them the same way.

-- Receipts, payments and items
CREATE TABLE 收费收据表 (
  ID {ID},
  病历号 INTEGER, 病人姓名 TEXT, 日期 TIMESTAMP,
  医生姓名 TEXT, 医生编号 TEXT, 科室 TEXT, 护士 TEXT, 收款人 TEXT,
  挂号费 DOUBLE PRECISION, 检查费 DOUBLE PRECISION, 镶牙费 DOUBLE PRECISION, 整畸费 DOUBLE PRECISION,
  注射费 DOUBLE PRECISION, 中药费 DOUBLE PRECISION, 西药费 DOUBLE PRECISION, 治疗费 DOUBLE PRECISION,
  手术费 DOUBLE PRECISION, 诊疗费 DOUBLE PRECISION, 放射费 DOUBLE PRECISION, 其它费用 DOUBLE PRECISION,
  合计 DOUBLE PRECISION, 付款 TEXT, 备注 TEXT,
  FeeIO SMALLINT, IsPrescriptionFlag SMALLINT,
  Doctor_Discout SMALLINT, Doctor_Discout_Value DOUBLE PRECISION
);
CREATE INDEX ix_收费收据表_病历号 ON 收费收据表 (病历号, 付款);
CREATE INDEX ix_收费收据表_日期 ON 收费收据表 (日期);

CREATE TABLE 无病历收费单 (
  ID {ID},
  病历号 INTEGER, 病人姓名 TEXT, 性别 TEXT, 年龄 TEXT, 日期 TIMESTAMP,
  医生姓名 TEXT, 医生编号 TEXT, 科室 TEXT, 护士 TEXT, 收款人 TEXT,
  挂号费 DOUBLE PRECISION, 检查费 DOUBLE PRECISION, 镶牙费 DOUBLE PRECISION, 整畸费 DOUBLE PRECISION,
  注射费 DOUBLE PRECISION, 中药费 DOUBLE PRECISION, 西药费 DOUBLE PRECISION, 治疗费 DOUBLE PRECISION,
  手术费 DOUBLE PRECISION, 诊疗费 DOUBLE PRECISION, 放射费 DOUBLE PRECISION, 其它费用 DOUBLE PRECISION,
  合计 DOUBLE PRECISION, 应收金额 DOUBLE PRECISION, 收款金额 DOUBLE PRECISION, 余额 DOUBLE PRECISION,
  付款 TEXT, 备注 TEXT, IsPrescriptionFlag SMALLINT
);
CREATE INDEX ix_无病历收费单_日期 ON 无病历收费单 (日期);
CREATE INDEX ix_收费收据表_收款人 ON 收费收据表 (收款人, 日期);
CREATE INDEX ix_无病历收费单_收款人 ON 无病历收费单 (收款人, 日期);

CREATE TABLE 收费明细表 (
  ID {ID},
  收费类型 TEXT, 收费项目 TEXT, 单位 TEXT,
  标准 DOUBLE PRECISION, 数量 DOUBLE PRECISION, 金额 DOUBLE PRECISION,
  日期 TIMESTAMP, 收据类型 INTEGER, 收据编号 INTEGER, 无病案编号 INTEGER,
  IsDiscout SMALLINT, Discout_Value DOUBLE PRECISION, StandartFee DOUBLE PRECISION
);
CREATE INDEX ix_收费明细表_收据编号 ON 收费明细表 (收据编号);
CREATE INDEX ix_收费明细表_无病案编号 ON 收费明细表 (无病案编号);
CREATE INDEX ix_收费明细表_日期 ON 收费明细表 (日期);
CREATE INDEX ix_收费明细表_收费类型 ON 收费明细表 (收费类型);

CREATE TABLE 病历收费单 (
  病历收费编号 {ID},
  病历号 INTEGER, ReceiptID INTEGER,
  总计应收费用 DOUBLE PRECISION, 免收费用 DOUBLE PRECISION, 实收费用 DOUBLE PRECISION,
  收款金额 DOUBLE PRECISION, 余额 DOUBLE PRECISION, 原欠金额 DOUBLE PRECISION,
  免收条件 TEXT, 备注 TEXT, 收款人 TEXT, 日期 TIMESTAMP,
  Discout_Type SMALLINT, Discout DOUBLE PRECISION, Discout_Note TEXT,
  OtherFreeFee DOUBLE PRECISION, OtherFreeFeeReason TEXT, OtherFreeFeeNote TEXT,
  MoneyCard_Name TEXT, MoneyCard_Value DOUBLE PRECISION, MoneyCard_UsedValue DOUBLE PRECISION,
  CardOnlyForDisctItem SMALLINT, MoneyPayed_type SMALLINT,
  OtherTypePayedMoney DOUBLE PRECISION, CashMoney DOUBLE PRECISION,
  GetLaterLeftMoneyFlag SMALLINT, PreferID INTEGER
);
CREATE INDEX ix_病历收费单_ReceiptID ON 病历收费单 (ReceiptID);
CREATE INDEX ix_病历收费单_病历号 ON 病历收费单 (病历号, ReceiptID);
CREATE INDEX ix_病历收费单_收款人 ON 病历收费单 (收款人, 日期);
CREATE INDEX ix_病历收费单_日期 ON 病历收费单 (日期);

CREATE TABLE 处方明细表 (
  ID {ID},
  ReceiptID INTEGER, NonDocReceiptID INTEGER,
  名称 TEXT, 规格 TEXT, 单位 TEXT,
  单价 DOUBLE PRECISION, 金额 DOUBLE PRECISION, 数量 DOUBLE PRECISION,
  类别 TEXT, 服用方式 TEXT, 每次用量 TEXT, 每日次数 TEXT, 医保类型 TEXT, 备注 TEXT,
  MedcineOutFlag SMALLINT
);
CREATE INDEX ix_处方明细表_ReceiptID ON 处方明细表 (ReceiptID);
CREATE INDEX ix_处方明细表_NonDocReceiptID ON 处方明细表 (NonDocReceiptID);

CREATE TABLE BeanshiReceipt_table (
  ID {ID},
  Payee TEXT, ReceiptID INTEGER, ReceiptMoney DOUBLE PRECISION, PayDate TIMESTAMP, Checker TEXT,
  ReceiptItem1 DOUBLE PRECISION, ReceiptItem2 DOUBLE PRECISION, ReceiptItem3 DOUBLE PRECISION,
  ReceiptItem4 DOUBLE PRECISION, ReceiptItem5 DOUBLE PRECISION, ReceiptItem6 DOUBLE PRECISION,
  ReceiptItem7 DOUBLE PRECISION, ReceiptItem8 DOUBLE PRECISION, ReceiptItem9 DOUBLE PRECISION,
  ReceiptItem10 DOUBLE PRECISION, ReceiptItem11 DOUBLE PRECISION, ReceiptItem12 DOUBLE PRECISION,
  ReceiptItem13 DOUBLE PRECISION, ReceiptItem14 DOUBLE PRECISION, ReceiptItem15 DOUBLE PRECISION,
  ReceiptItem16 DOUBLE PRECISION, ReceiptItem17 DOUBLE PRECISION, ReceiptItem18 DOUBLE PRECISION,
  ReceiptItem19 DOUBLE PRECISION
);

CREATE TABLE ShandongTicket_Table (
  ID {ID},
  TicketID INTEGER, ReceiptID INTEGER, IsUsed SMALLINT
);
CREATE INDEX ix_ShandongTicket_Table_TicketID ON ShandongTicket_Table (TicketID);
CREATE INDEX ix_ShandongTicket_Table_ReceiptID ON ShandongTicket_Table (ReceiptID);

CREATE TABLE TicketNumber_Table (TicketID INTEGER);

-- Catalogue and staff
CREATE TABLE 收费标准表 (
  ID {ID},
  Office TEXT, 收费分类 TEXT, TypeCode TEXT, 收费项目 TEXT, ItemCode TEXT, 单位 TEXT,
  单价 DOUBLE PRECISION, 备注 TEXT, IS_Discount SMALLINT, Discout_Value DOUBLE PRECISION
);
CREATE INDEX ix_收费标准表_Office_收费分类 ON 收费标准表 (Office, 收费分类);
CREATE INDEX ix_收费标准表_收费分类_收费项目 ON 收费标准表 (收费分类, 收费项目);
CREATE INDEX ix_收费标准表_收费项目 ON 收费标准表 (收费项目);
CREATE INDEX ix_收费标准表_ItemCode ON 收费标准表 (ItemCode);
CREATE INDEX ix_收费标准表_TypeCode ON 收费标准表 (TypeCode);

CREATE TABLE 主治医生表 (医生姓名 TEXT, 医生编号 TEXT, 科室 TEXT);
CREATE INDEX ix_主治医生表_医生姓名 ON 主治医生表 (医生姓名);
CREATE TABLE 护士表 (护士 TEXT);
CREATE TABLE 科室表 (科室 TEXT);
CREATE TABLE Payee_table (Payee TEXT);

-- The clinic's own names of the twelve fee categories, by position 1–12 in canonical order.
CREATE TABLE ReceiptItemName_Table (ItemIndex INTEGER PRIMARY KEY, ItemName TEXT);

CREATE TABLE 病历卡表 (病历号 INTEGER PRIMARY KEY, 病人编号 TEXT, 病人姓名 TEXT);
CREATE INDEX ix_病历卡表_病人编号 ON 病历卡表 (病人编号);
CREATE INDEX ix_病历卡表_病人编号_text ON 病历卡表 (lower(rtrim(病人编号)));
CREATE TABLE 病人简历表 (
  病人编号 TEXT PRIMARY KEY, 病人姓名 TEXT, 性别 TEXT, 年龄 TEXT,
  IS_VIP SMALLINT, VIP_Rank_Name TEXT, VIP_Code TEXT
);
CREATE INDEX ix_病人简历表_病人编号_text ON 病人简历表 (lower(rtrim(病人编号)));

-- Discounts and settings
CREATE TABLE Management_table (
  FeeIOShowYesNo SMALLINT, FeeToPrepayFlag SMALLINT, FeeToPrepayDiscout DOUBLE PRECISION,
  FeeGadeYesNo SMALLINT, MedicineFromKBFlag SMALLINT
);
CREATE TABLE DiscountSet_table (
  DiscoutYesNo SMALLINT, VIPDiscoutYesNo SMALLINT, FeeDiscoutYesNo SMALLINT, CurrentFeeDiscoutYesNo SMALLINT,
  OtherFreeYesNo SMALLINT, MoneyCardYesNo SMALLINT, CardOnlyForDisctItem SMALLINT,
  FeeDiscoutOnlyForVIP SMALLINT, FeeItemYesNo SMALLINT
);
-- The discount-type list reads the ranks ORDER BY ID, so the table keeps an identity key.
CREATE TABLE Discount_table (ID {ID}, DiscountName TEXT, DiscountValue DOUBLE PRECISION, Note TEXT);
CREATE TABLE DiscountAccout_table (MinMoney DOUBLE PRECISION, MaxMoney DOUBLE PRECISION, Discout DOUBLE PRECISION);
CREATE TABLE DiscountCurrente_table (MinMoney DOUBLE PRECISION, MaxMoney DOUBLE PRECISION, Discout DOUBLE PRECISION);
CREATE TABLE MoneyCard_Table (ID {ID}, MoneyCard_Name TEXT, MoneyCard_Value DOUBLE PRECISION);
CREATE TABLE 优惠类型表 (优惠类型 TEXT);
CREATE TABLE ReceiptType_Table (ReceiptType INTEGER);

CREATE TABLE PreferManagement_table (
  ID {ID},
  Card_Cover_Code TEXT, Card_Kind_Type INTEGER, Card_Left_Fee DOUBLE PRECISION,
  Card_Is_HaveExpire SMALLINT, Card_Expire_Date TIMESTAMP,
  Card_Is_PWD SMALLINT, Card_PWD TEXT, Card_Is_Takenback SMALLINT
);
CREATE INDEX ix_PreferManagement_table_code ON PreferManagement_table (Card_Cover_Code);

-- Prepayment and membership
CREATE TABLE PrePay_Table (
  ID {ID},
  VIP_CODE TEXT, VIP_date TIMESTAMP, PrePayer_Name TEXT, PrePayer_type INTEGER,
  Call TEXT, VIP_address TEXT, VIP_note TEXT,
  VIP_grade_value DOUBLE PRECISION, VIP_card_type TEXT
);
-- Codes are compared as SQL Server compared them (lower(rtrim(…)) = lower(rtrim(?))); these
-- indexes serve exactly that expression.
CREATE INDEX ix_PrePay_Table_VIP_CODE ON PrePay_Table (lower(rtrim(VIP_CODE)));

CREATE TABLE PrePayUserSheet_Table (
  ID {ID},
  PrePayer_ID INTEGER, Patient_Code TEXT, AgreeUsePrePay_Man TEXT, Checker TEXT, RegTime TIMESTAMP, note TEXT
);
CREATE INDEX ix_PrePayUserSheet_Table_Patient_Code ON PrePayUserSheet_Table (lower(rtrim(Patient_Code)));
CREATE INDEX ix_PrePayUserSheet_Table_PrePayer_ID ON PrePayUserSheet_Table (PrePayer_ID);

CREATE TABLE PrePayReg_Table (
  ID {ID},
  PrePayer_ID INTEGER, PrePay_Money DOUBLE PRECISION, PreferMoney DOUBLE PRECISION, PrePay_IO SMALLINT,
  PayMoney_Man TEXT, Checker TEXT, PayTime TIMESTAMP, note TEXT, PrePayType INTEGER, IsFromFeeFlag INTEGER
);
CREATE INDEX ix_PrePayReg_Table_PrePayer_ID ON PrePayReg_Table (PrePayer_ID, PrePay_IO);
CREATE INDEX ix_PrePayReg_Table_IsFromFeeFlag ON PrePayReg_Table (IsFromFeeFlag);

CREATE TABLE PrePayUseReg_Table (
  ID {ID},
  PrePayer_ID INTEGER, Patient_Code TEXT, PaySheetID INTEGER, Payed_Money DOUBLE PRECISION,
  Checker TEXT, RegTime TIMESTAMP, note TEXT
);
CREATE INDEX ix_PrePayUseReg_Table_PrePayer_ID ON PrePayUseReg_Table (PrePayer_ID, PaySheetID);
CREATE INDEX ix_PrePayUseReg_Table_PaySheetID ON PrePayUseReg_Table (PaySheetID);

CREATE TABLE VIP_PtnSheet_Table (VIP_ID INTEGER, Patient_Code TEXT);
CREATE INDEX ix_VIP_PtnSheet_Table_VIP_ID ON VIP_PtnSheet_Table (VIP_ID);
CREATE INDEX ix_VIP_PtnSheet_Table_Patient_Code ON VIP_PtnSheet_Table (lower(rtrim(Patient_Code)));

CREATE TABLE Grade_Calculte_table (FeeItemType SMALLINT, FeeItem TEXT, FeeGradeCalculter DOUBLE PRECISION);
CREATE INDEX ix_Grade_Calculte_table_FeeItem ON Grade_Calculte_table (FeeItemType, FeeItem);
CREATE TABLE Grade_shengji_Calculate_table (
  ID {ID},
  VIP_min_value DOUBLE PRECISION, VIP_max_value DOUBLE PRECISION, Discout_value DOUBLE PRECISION, VIP_card_type TEXT
);
CREATE TABLE Grade_shengji_table (
  ID {ID},
  VIP_CODE TEXT, VIP_card_type TEXT, VIP_grade_type SMALLINT, VIP_Grade_date TIMESTAMP
);
CREATE TABLE Grade_Record_table (
  ID {ID},
  VIP_CODE TEXT, Ptn_Name TEXT, Grade_value DOUBLE PRECISION, Grade_auto SMALLINT, Grade_man TEXT,
  Grade_date TIMESTAMP, VIP_ID INTEGER, note TEXT, ReceiptID INTEGER
);
CREATE INDEX ix_Grade_Record_table_VIP_ID ON Grade_Record_table (VIP_ID);
CREATE INDEX ix_Grade_Record_table_VIP_CODE ON Grade_Record_table (VIP_CODE);
CREATE INDEX ix_Grade_shengji_table_VIP_CODE ON Grade_shengji_table (VIP_CODE);

-- Medicines and stock
CREATE TABLE 常用药品表 (
  ID {ID},
  类别 TEXT, 名称 TEXT, 规格 TEXT, 单位 TEXT, 单价 DOUBLE PRECISION,
  服用方式 TEXT, 每次用量 TEXT, 每日用量 TEXT, 适应症 TEXT, 医保类型 TEXT
);
CREATE INDEX ix_常用药品表_名称_规格 ON 常用药品表 (名称, 规格);
CREATE INDEX ix_常用药品表_类别 ON 常用药品表 (类别);

CREATE TABLE 材料库存表 (
  库存编号 {ID},
  名称 TEXT, 规格 TEXT, 现存数量 DOUBLE PRECISION, ExpireDate TIMESTAMP
);
CREATE INDEX ix_材料库存表_名称_规格 ON 材料库存表 (名称, 规格, ExpireDate);

CREATE TABLE 材料出库表 (
  出库编号 {ID},
  单位 TEXT, 名称 TEXT, 规格 TEXT, 数量 DOUBLE PRECISION, 出库价格 DOUBLE PRECISION, 总价 DOUBLE PRECISION,
  日期 TIMESTAMP, 领料人 TEXT, 领用人 TEXT, 备注 TEXT, 库存分类 TEXT, KBID INTEGER, ExpireDate TIMESTAMP
);
CREATE INDEX ix_材料出库表_名称_规格 ON 材料出库表 (名称, 规格);
CREATE INDEX ix_材料出库表_日期 ON 材料出库表 (日期);

-- Statistics settings
CREATE TABLE SysthesisStatics_Table (
  SysthesisType INTEGER, StandartItem SMALLINT, NonStandartItem SMALLINT, MoneyCard SMALLINT,
  VipCard SMALLINT, PreferCard SMALLINT
);
CREATE TABLE StaticStandartItemforDayMonth_Table (
  ID {ID},
  StaticsStandartType SMALLINT, StandartItem TEXT, ItemType SMALLINT, StaticPersonNum SMALLINT, StaticMoney SMALLINT
);
CREATE INDEX ix_StaticStandartItemforDayMonth_Table_type ON StaticStandartItemforDayMonth_Table (StaticsStandartType, StandartItem);
