-- Finding a patient by the last digits of a phone and by any part of a name, each as one
-- range of an index. The clinic system writes 病历卡表 itself, so triggers (not the desk) keep
-- the derived rows exact under every writer.

-- 电话反序: the phone's last 32 characters reversed, without "-" and blanks, so that the last
-- digits a cashier types are a prefix of it.
ALTER TABLE 病历卡表 ADD COLUMN 电话反序 TEXT;
CREATE INDEX ix_病历卡表_电话反序_prefix ON 病历卡表 (电话反序{BYTEWISE});

-- Every ending of a name from its second character on (lowercase): a part of a name is the
-- beginning of one of them. The whole name is already indexed on 病历卡表. 序数表 holds the
-- positions the triggers take them from; names longer than 64 characters are cut there.
CREATE TABLE 序数表 (n INTEGER PRIMARY KEY);
CREATE TABLE 姓名片段表 (病历号 INTEGER NOT NULL, 片段 TEXT NOT NULL);
CREATE INDEX ix_姓名片段表_片段_prefix ON 姓名片段表 (片段{BYTEWISE}, 病历号);
CREATE INDEX ix_姓名片段表_病历号 ON 姓名片段表 (病历号);
INSERT INTO 序数表 (n) SELECT a.d * 8 + b.d + 1 FROM
  (SELECT 0 AS d UNION ALL SELECT 1 UNION ALL SELECT 2 UNION ALL SELECT 3 UNION ALL SELECT 4 UNION ALL SELECT 5 UNION ALL SELECT 6 UNION ALL SELECT 7) a,
  (SELECT 0 AS d UNION ALL SELECT 1 UNION ALL SELECT 2 UNION ALL SELECT 3 UNION ALL SELECT 4 UNION ALL SELECT 5 UNION ALL SELECT 6 UNION ALL SELECT 7) b;

--@sqlite
-- SQLite: a trigger cannot call a function of ours (a host's own SQLite would not have it),
-- so the reversal is spelled out. The update trigger also repairs a 电话反序 written by hand;
-- its WHERE stops it when it would change nothing, so it ends even with recursive triggers.
CREATE TRIGGER tr_病历卡表_电话反序_insert AFTER INSERT ON 病历卡表 BEGIN
  UPDATE 病历卡表 SET 电话反序 = replace(replace(substr(NEW.电话,-1,1)||substr(NEW.电话,-2,1)||substr(NEW.电话,-3,1)||substr(NEW.电话,-4,1)||substr(NEW.电话,-5,1)||substr(NEW.电话,-6,1)||substr(NEW.电话,-7,1)||substr(NEW.电话,-8,1)||substr(NEW.电话,-9,1)||substr(NEW.电话,-10,1)||substr(NEW.电话,-11,1)||substr(NEW.电话,-12,1)||substr(NEW.电话,-13,1)||substr(NEW.电话,-14,1)||substr(NEW.电话,-15,1)||substr(NEW.电话,-16,1)||substr(NEW.电话,-17,1)||substr(NEW.电话,-18,1)||substr(NEW.电话,-19,1)||substr(NEW.电话,-20,1)||substr(NEW.电话,-21,1)||substr(NEW.电话,-22,1)||substr(NEW.电话,-23,1)||substr(NEW.电话,-24,1)||substr(NEW.电话,-25,1)||substr(NEW.电话,-26,1)||substr(NEW.电话,-27,1)||substr(NEW.电话,-28,1)||substr(NEW.电话,-29,1)||substr(NEW.电话,-30,1)||substr(NEW.电话,-31,1)||substr(NEW.电话,-32,1), '-', ''), ' ', '') WHERE 病历号 = NEW.病历号;
END;
CREATE TRIGGER tr_病历卡表_电话反序_update AFTER UPDATE OF 电话, 电话反序 ON 病历卡表 BEGIN
  UPDATE 病历卡表 SET 电话反序 = replace(replace(substr(NEW.电话,-1,1)||substr(NEW.电话,-2,1)||substr(NEW.电话,-3,1)||substr(NEW.电话,-4,1)||substr(NEW.电话,-5,1)||substr(NEW.电话,-6,1)||substr(NEW.电话,-7,1)||substr(NEW.电话,-8,1)||substr(NEW.电话,-9,1)||substr(NEW.电话,-10,1)||substr(NEW.电话,-11,1)||substr(NEW.电话,-12,1)||substr(NEW.电话,-13,1)||substr(NEW.电话,-14,1)||substr(NEW.电话,-15,1)||substr(NEW.电话,-16,1)||substr(NEW.电话,-17,1)||substr(NEW.电话,-18,1)||substr(NEW.电话,-19,1)||substr(NEW.电话,-20,1)||substr(NEW.电话,-21,1)||substr(NEW.电话,-22,1)||substr(NEW.电话,-23,1)||substr(NEW.电话,-24,1)||substr(NEW.电话,-25,1)||substr(NEW.电话,-26,1)||substr(NEW.电话,-27,1)||substr(NEW.电话,-28,1)||substr(NEW.电话,-29,1)||substr(NEW.电话,-30,1)||substr(NEW.电话,-31,1)||substr(NEW.电话,-32,1), '-', ''), ' ', '')
    WHERE 病历号 = NEW.病历号 AND 电话反序 IS NOT replace(replace(substr(NEW.电话,-1,1)||substr(NEW.电话,-2,1)||substr(NEW.电话,-3,1)||substr(NEW.电话,-4,1)||substr(NEW.电话,-5,1)||substr(NEW.电话,-6,1)||substr(NEW.电话,-7,1)||substr(NEW.电话,-8,1)||substr(NEW.电话,-9,1)||substr(NEW.电话,-10,1)||substr(NEW.电话,-11,1)||substr(NEW.电话,-12,1)||substr(NEW.电话,-13,1)||substr(NEW.电话,-14,1)||substr(NEW.电话,-15,1)||substr(NEW.电话,-16,1)||substr(NEW.电话,-17,1)||substr(NEW.电话,-18,1)||substr(NEW.电话,-19,1)||substr(NEW.电话,-20,1)||substr(NEW.电话,-21,1)||substr(NEW.电话,-22,1)||substr(NEW.电话,-23,1)||substr(NEW.电话,-24,1)||substr(NEW.电话,-25,1)||substr(NEW.电话,-26,1)||substr(NEW.电话,-27,1)||substr(NEW.电话,-28,1)||substr(NEW.电话,-29,1)||substr(NEW.电话,-30,1)||substr(NEW.电话,-31,1)||substr(NEW.电话,-32,1), '-', ''), ' ', '');
END;
-- An INSERT OR REPLACE deletes the old row without firing delete triggers: the insert trigger
-- clears the case's fragments before it writes them.
CREATE TRIGGER tr_病历卡表_姓名片段_insert AFTER INSERT ON 病历卡表 BEGIN
  DELETE FROM 姓名片段表 WHERE 病历号 = NEW.病历号;
  INSERT INTO 姓名片段表 (病历号, 片段) SELECT NEW.病历号, lower(substr(NEW.病人姓名, n)) FROM 序数表 WHERE n >= 2 AND n <= length(NEW.病人姓名);
END;
CREATE TRIGGER tr_病历卡表_姓名片段_update AFTER UPDATE OF 病历号, 病人姓名 ON 病历卡表 BEGIN
  DELETE FROM 姓名片段表 WHERE 病历号 = OLD.病历号 OR 病历号 = NEW.病历号;
  INSERT INTO 姓名片段表 (病历号, 片段) SELECT NEW.病历号, lower(substr(NEW.病人姓名, n)) FROM 序数表 WHERE n >= 2 AND n <= length(NEW.病人姓名);
END;
CREATE TRIGGER tr_病历卡表_姓名片段_delete AFTER DELETE ON 病历卡表 BEGIN
  DELETE FROM 姓名片段表 WHERE 病历号 = OLD.病历号;
END;

--@postgresql
-- PostgreSQL: the same rows, computed before the row is stored (电话反序) and after it (片段).
CREATE FUNCTION 病历卡表_电话反序() RETURNS trigger LANGUAGE plpgsql AS $$
BEGIN
  NEW.电话反序 := replace(replace(left(reverse(NEW.电话), 32), '-', ''), ' ', '');
  RETURN NEW;
END $$;
CREATE TRIGGER tr_病历卡表_电话反序 BEFORE INSERT OR UPDATE ON 病历卡表
  FOR EACH ROW EXECUTE FUNCTION 病历卡表_电话反序();
CREATE FUNCTION 病历卡表_姓名片段() RETURNS trigger LANGUAGE plpgsql AS $$
BEGIN
  IF TG_OP <> 'INSERT' THEN
    DELETE FROM 姓名片段表 WHERE 病历号 = OLD.病历号;
  END IF;
  IF TG_OP <> 'DELETE' THEN
    DELETE FROM 姓名片段表 WHERE 病历号 = NEW.病历号;
    INSERT INTO 姓名片段表 (病历号, 片段) SELECT NEW.病历号, lower(substr(NEW.病人姓名, n)) FROM 序数表 WHERE n >= 2 AND n <= length(NEW.病人姓名);
  END IF;
  RETURN NULL;
END $$;
CREATE TRIGGER tr_病历卡表_姓名片段 AFTER INSERT OR DELETE OR UPDATE OF 病历号, 病人姓名 ON 病历卡表
  FOR EACH ROW EXECUTE FUNCTION 病历卡表_姓名片段();

--@all
-- The cases already registered: touching the columns lets the triggers fill both.
UPDATE 病历卡表 SET 病人姓名 = 病人姓名, 电话 = 电话;
