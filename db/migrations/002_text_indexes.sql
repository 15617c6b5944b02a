-- The catalogue is looked up the clinic's way, lower(rtrim(…)) = lower(rtrim(?)): indexes on
-- those very expressions, so that a look-up does not read the whole catalogue. A class with
-- an item name, a class alone (the leading column), an item name, an item code.
CREATE INDEX ix_收费标准表_收费分类_收费项目_text ON 收费标准表 (lower(rtrim(收费分类)), lower(rtrim(收费项目)));
CREATE INDEX ix_收费标准表_收费项目_text ON 收费标准表 (lower(rtrim(收费项目)));
CREATE INDEX ix_收费标准表_ItemCode_text ON 收费标准表 (lower(rtrim(ItemCode)));

-- An account's balance sums its movements and its uses: indexes that hold the summed columns
-- answer from the index alone instead of reading one table page per movement. They take the
-- place of the narrower indexes that started with the same columns.
DROP INDEX ix_PrePayReg_Table_PrePayer_ID;
CREATE INDEX ix_PrePayReg_Table_PrePayer_ID ON PrePayReg_Table (PrePayer_ID, PrePay_IO, PrePay_Money, PreferMoney);
DROP INDEX ix_PrePayUseReg_Table_PrePayer_ID;
CREATE INDEX ix_PrePayUseReg_Table_PrePayer_ID ON PrePayUseReg_Table (PrePayer_ID, PaySheetID, Payed_Money);
