-- The stock-out and the stock check look up a medicine's good batches by name and
-- strength (规格), lowest batch number first; names compare as the clinic's database compared
-- them (lower(rtrim(…))), so the index is on exactly those expressions, then the batch number.
CREATE INDEX ix_材料库存表_批次 ON 材料库存表 (lower(rtrim(名称)), lower(rtrim(规格)), 库存编号);
