-- Each prepaid account's sums, kept beside its movements so that reading a balance costs the
-- same for an account with ten movements as for one with a hundred thousand. The movement tables
-- stay the truth (hosts write them directly): triggers move these sums in the same transaction
-- as every insert, update and delete of a movement row, whoever writes it, and only by relative
-- updates (sum = sum + change), so concurrent writers to one account stay exact: each waits for
-- the other's row lock on the sum and then adds its own change.
--
-- The five sums of the balance rules: deposits and their bonus (PrePay_IO 0), withdrawals and
-- their bonus (PrePay_IO 1), every use; NULL amounts count 0, other directions and rows without
-- an account count nowhere. UsedNoSheet is the part of Used whose PaySheetID is NULL: a balance
-- "without payment record N" leaves those out too (NULL <> N is not true).
CREATE TABLE PrePaySum_Table (
  PrePayer_ID INTEGER PRIMARY KEY,
  Deposits DOUBLE PRECISION NOT NULL DEFAULT 0,
  DepositBonus DOUBLE PRECISION NOT NULL DEFAULT 0,
  Withdrawals DOUBLE PRECISION NOT NULL DEFAULT 0,
  WithdrawalBonus DOUBLE PRECISION NOT NULL DEFAULT 0,
  Used DOUBLE PRECISION NOT NULL DEFAULT 0,
  UsedNoSheet DOUBLE PRECISION NOT NULL DEFAULT 0
);

-- Accounts with a history get their sums now.
INSERT INTO PrePaySum_Table (PrePayer_ID, Deposits, DepositBonus, Withdrawals, WithdrawalBonus, Used, UsedNoSheet)
SELECT PrePayer_ID, SUM(d), SUM(db), SUM(w), SUM(wb), SUM(u), SUM(un) FROM (
  SELECT PrePayer_ID,
         CASE WHEN PrePay_IO=0 THEN COALESCE(PrePay_Money,0) ELSE 0 END AS d,
         CASE WHEN PrePay_IO=0 THEN COALESCE(PreferMoney,0) ELSE 0 END AS db,
         CASE WHEN PrePay_IO=1 THEN COALESCE(PrePay_Money,0) ELSE 0 END AS w,
         CASE WHEN PrePay_IO=1 THEN COALESCE(PreferMoney,0) ELSE 0 END AS wb,
         CAST(0 AS DOUBLE PRECISION) AS u, CAST(0 AS DOUBLE PRECISION) AS un
    FROM PrePayReg_Table WHERE PrePayer_ID IS NOT NULL AND PrePay_IO IN (0,1)
  UNION ALL
  SELECT PrePayer_ID, 0, 0, 0, 0, COALESCE(Payed_Money,0),
         CASE WHEN PaySheetID IS NULL THEN COALESCE(Payed_Money,0) ELSE 0 END
    FROM PrePayUseReg_Table WHERE PrePayer_ID IS NOT NULL
) AS movements GROUP BY PrePayer_ID;

--@sqlite
-- SQLite: one trigger per change. An update takes the old row's amounts off and adds the new
-- row's, so a row moved to another account, direction or payment record lands where it now is.
CREATE TRIGGER PrePayReg_Table_sum_insert AFTER INSERT ON PrePayReg_Table
WHEN NEW.PrePayer_ID IS NOT NULL AND NEW.PrePay_IO IN (0,1)
BEGIN
  INSERT INTO PrePaySum_Table (PrePayer_ID, Deposits, DepositBonus, Withdrawals, WithdrawalBonus)
  SELECT NEW.PrePayer_ID,
         CASE WHEN NEW.PrePay_IO=0 THEN COALESCE(NEW.PrePay_Money,0) ELSE 0 END,
         CASE WHEN NEW.PrePay_IO=0 THEN COALESCE(NEW.PreferMoney,0) ELSE 0 END,
         CASE WHEN NEW.PrePay_IO=1 THEN COALESCE(NEW.PrePay_Money,0) ELSE 0 END,
         CASE WHEN NEW.PrePay_IO=1 THEN COALESCE(NEW.PreferMoney,0) ELSE 0 END
  WHERE 1
  ON CONFLICT (PrePayer_ID) DO UPDATE SET
    Deposits = Deposits + excluded.Deposits, DepositBonus = DepositBonus + excluded.DepositBonus,
    Withdrawals = Withdrawals + excluded.Withdrawals, WithdrawalBonus = WithdrawalBonus + excluded.WithdrawalBonus;
END;

CREATE TRIGGER PrePayReg_Table_sum_delete AFTER DELETE ON PrePayReg_Table
WHEN OLD.PrePayer_ID IS NOT NULL AND OLD.PrePay_IO IN (0,1)
BEGIN
  UPDATE PrePaySum_Table SET
    Deposits = Deposits - CASE WHEN OLD.PrePay_IO=0 THEN COALESCE(OLD.PrePay_Money,0) ELSE 0 END,
    DepositBonus = DepositBonus - CASE WHEN OLD.PrePay_IO=0 THEN COALESCE(OLD.PreferMoney,0) ELSE 0 END,
    Withdrawals = Withdrawals - CASE WHEN OLD.PrePay_IO=1 THEN COALESCE(OLD.PrePay_Money,0) ELSE 0 END,
    WithdrawalBonus = WithdrawalBonus - CASE WHEN OLD.PrePay_IO=1 THEN COALESCE(OLD.PreferMoney,0) ELSE 0 END
  WHERE PrePayer_ID = OLD.PrePayer_ID;
END;

CREATE TRIGGER PrePayReg_Table_sum_update AFTER UPDATE OF PrePayer_ID, PrePay_Money, PreferMoney, PrePay_IO ON PrePayReg_Table
BEGIN
  UPDATE PrePaySum_Table SET
    Deposits = Deposits - CASE WHEN OLD.PrePay_IO=0 THEN COALESCE(OLD.PrePay_Money,0) ELSE 0 END,
    DepositBonus = DepositBonus - CASE WHEN OLD.PrePay_IO=0 THEN COALESCE(OLD.PreferMoney,0) ELSE 0 END,
    Withdrawals = Withdrawals - CASE WHEN OLD.PrePay_IO=1 THEN COALESCE(OLD.PrePay_Money,0) ELSE 0 END,
    WithdrawalBonus = WithdrawalBonus - CASE WHEN OLD.PrePay_IO=1 THEN COALESCE(OLD.PreferMoney,0) ELSE 0 END
  WHERE PrePayer_ID = OLD.PrePayer_ID AND OLD.PrePay_IO IN (0,1);
  INSERT INTO PrePaySum_Table (PrePayer_ID, Deposits, DepositBonus, Withdrawals, WithdrawalBonus)
  SELECT NEW.PrePayer_ID,
         CASE WHEN NEW.PrePay_IO=0 THEN COALESCE(NEW.PrePay_Money,0) ELSE 0 END,
         CASE WHEN NEW.PrePay_IO=0 THEN COALESCE(NEW.PreferMoney,0) ELSE 0 END,
         CASE WHEN NEW.PrePay_IO=1 THEN COALESCE(NEW.PrePay_Money,0) ELSE 0 END,
         CASE WHEN NEW.PrePay_IO=1 THEN COALESCE(NEW.PreferMoney,0) ELSE 0 END
  WHERE NEW.PrePayer_ID IS NOT NULL AND NEW.PrePay_IO IN (0,1)
  ON CONFLICT (PrePayer_ID) DO UPDATE SET
    Deposits = Deposits + excluded.Deposits, DepositBonus = DepositBonus + excluded.DepositBonus,
    Withdrawals = Withdrawals + excluded.Withdrawals, WithdrawalBonus = WithdrawalBonus + excluded.WithdrawalBonus;
END;

CREATE TRIGGER PrePayUseReg_Table_sum_insert AFTER INSERT ON PrePayUseReg_Table
WHEN NEW.PrePayer_ID IS NOT NULL
BEGIN
  INSERT INTO PrePaySum_Table (PrePayer_ID, Used, UsedNoSheet)
  SELECT NEW.PrePayer_ID, COALESCE(NEW.Payed_Money,0),
         CASE WHEN NEW.PaySheetID IS NULL THEN COALESCE(NEW.Payed_Money,0) ELSE 0 END
  WHERE 1
  ON CONFLICT (PrePayer_ID) DO UPDATE SET Used = Used + excluded.Used, UsedNoSheet = UsedNoSheet + excluded.UsedNoSheet;
END;

CREATE TRIGGER PrePayUseReg_Table_sum_delete AFTER DELETE ON PrePayUseReg_Table
WHEN OLD.PrePayer_ID IS NOT NULL
BEGIN
  UPDATE PrePaySum_Table SET
    Used = Used - COALESCE(OLD.Payed_Money,0),
    UsedNoSheet = UsedNoSheet - CASE WHEN OLD.PaySheetID IS NULL THEN COALESCE(OLD.Payed_Money,0) ELSE 0 END
  WHERE PrePayer_ID = OLD.PrePayer_ID;
END;

CREATE TRIGGER PrePayUseReg_Table_sum_update AFTER UPDATE OF PrePayer_ID, PaySheetID, Payed_Money ON PrePayUseReg_Table
BEGIN
  UPDATE PrePaySum_Table SET
    Used = Used - COALESCE(OLD.Payed_Money,0),
    UsedNoSheet = UsedNoSheet - CASE WHEN OLD.PaySheetID IS NULL THEN COALESCE(OLD.Payed_Money,0) ELSE 0 END
  WHERE PrePayer_ID = OLD.PrePayer_ID;
  INSERT INTO PrePaySum_Table (PrePayer_ID, Used, UsedNoSheet)
  SELECT NEW.PrePayer_ID, COALESCE(NEW.Payed_Money,0),
         CASE WHEN NEW.PaySheetID IS NULL THEN COALESCE(NEW.Payed_Money,0) ELSE 0 END
  WHERE NEW.PrePayer_ID IS NOT NULL
  ON CONFLICT (PrePayer_ID) DO UPDATE SET Used = Used + excluded.Used, UsedNoSheet = UsedNoSheet + excluded.UsedNoSheet;
END;

--@postgresql
-- PostgreSQL: one trigger function per movement table, for every row an insert, update or
-- delete touches. TRUNCATE fires no row trigger: it empties the sums of the accounts it took.
CREATE FUNCTION calvane_prepayreg_sum() RETURNS trigger LANGUAGE plpgsql AS $$
BEGIN
  IF TG_OP <> 'INSERT' THEN
    IF OLD.PrePayer_ID IS NOT NULL AND OLD.PrePay_IO IN (0,1) THEN
      UPDATE PrePaySum_Table SET
        Deposits = Deposits - CASE WHEN OLD.PrePay_IO=0 THEN COALESCE(OLD.PrePay_Money,0) ELSE 0 END,
        DepositBonus = DepositBonus - CASE WHEN OLD.PrePay_IO=0 THEN COALESCE(OLD.PreferMoney,0) ELSE 0 END,
        Withdrawals = Withdrawals - CASE WHEN OLD.PrePay_IO=1 THEN COALESCE(OLD.PrePay_Money,0) ELSE 0 END,
        WithdrawalBonus = WithdrawalBonus - CASE WHEN OLD.PrePay_IO=1 THEN COALESCE(OLD.PreferMoney,0) ELSE 0 END
      WHERE PrePayer_ID = OLD.PrePayer_ID;
    END IF;
  END IF;
  IF TG_OP <> 'DELETE' THEN
    IF NEW.PrePayer_ID IS NOT NULL AND NEW.PrePay_IO IN (0,1) THEN
      INSERT INTO PrePaySum_Table AS s (PrePayer_ID, Deposits, DepositBonus, Withdrawals, WithdrawalBonus)
      VALUES (NEW.PrePayer_ID,
              CASE WHEN NEW.PrePay_IO=0 THEN COALESCE(NEW.PrePay_Money,0) ELSE 0 END,
              CASE WHEN NEW.PrePay_IO=0 THEN COALESCE(NEW.PreferMoney,0) ELSE 0 END,
              CASE WHEN NEW.PrePay_IO=1 THEN COALESCE(NEW.PrePay_Money,0) ELSE 0 END,
              CASE WHEN NEW.PrePay_IO=1 THEN COALESCE(NEW.PreferMoney,0) ELSE 0 END)
      ON CONFLICT (PrePayer_ID) DO UPDATE SET
        Deposits = s.Deposits + EXCLUDED.Deposits, DepositBonus = s.DepositBonus + EXCLUDED.DepositBonus,
        Withdrawals = s.Withdrawals + EXCLUDED.Withdrawals, WithdrawalBonus = s.WithdrawalBonus + EXCLUDED.WithdrawalBonus;
    END IF;
  END IF;
  RETURN NULL;
END $$;

CREATE TRIGGER PrePayReg_Table_sum AFTER INSERT OR DELETE OR UPDATE OF PrePayer_ID, PrePay_Money, PreferMoney, PrePay_IO
  ON PrePayReg_Table FOR EACH ROW EXECUTE FUNCTION calvane_prepayreg_sum();

CREATE FUNCTION calvane_prepayusereg_sum() RETURNS trigger LANGUAGE plpgsql AS $$
BEGIN
  IF TG_OP <> 'INSERT' THEN
    IF OLD.PrePayer_ID IS NOT NULL THEN
      UPDATE PrePaySum_Table SET
        Used = Used - COALESCE(OLD.Payed_Money,0),
        UsedNoSheet = UsedNoSheet - CASE WHEN OLD.PaySheetID IS NULL THEN COALESCE(OLD.Payed_Money,0) ELSE 0 END
      WHERE PrePayer_ID = OLD.PrePayer_ID;
    END IF;
  END IF;
  IF TG_OP <> 'DELETE' THEN
    IF NEW.PrePayer_ID IS NOT NULL THEN
      INSERT INTO PrePaySum_Table AS s (PrePayer_ID, Used, UsedNoSheet)
      VALUES (NEW.PrePayer_ID, COALESCE(NEW.Payed_Money,0),
              CASE WHEN NEW.PaySheetID IS NULL THEN COALESCE(NEW.Payed_Money,0) ELSE 0 END)
      ON CONFLICT (PrePayer_ID) DO UPDATE SET Used = s.Used + EXCLUDED.Used, UsedNoSheet = s.UsedNoSheet + EXCLUDED.UsedNoSheet;
    END IF;
  END IF;
  RETURN NULL;
END $$;

CREATE TRIGGER PrePayUseReg_Table_sum AFTER INSERT OR DELETE OR UPDATE OF PrePayer_ID, PaySheetID, Payed_Money
  ON PrePayUseReg_Table FOR EACH ROW EXECUTE FUNCTION calvane_prepayusereg_sum();

CREATE FUNCTION calvane_prepay_truncated() RETURNS trigger LANGUAGE plpgsql AS $$
BEGIN
  IF TG_TABLE_NAME = 'prepayreg_table' THEN
    UPDATE PrePaySum_Table SET Deposits = 0, DepositBonus = 0, Withdrawals = 0, WithdrawalBonus = 0;
  ELSE
    UPDATE PrePaySum_Table SET Used = 0, UsedNoSheet = 0;
  END IF;
  RETURN NULL;
END $$;

CREATE TRIGGER PrePayReg_Table_sum_truncate AFTER TRUNCATE ON PrePayReg_Table
  FOR EACH STATEMENT EXECUTE FUNCTION calvane_prepay_truncated();
CREATE TRIGGER PrePayUseReg_Table_sum_truncate AFTER TRUNCATE ON PrePayUseReg_Table
  FOR EACH STATEMENT EXECUTE FUNCTION calvane_prepay_truncated();
