-- Cashiers sign in with a password and some of them manage the clinic's settings.
-- 密码: the password as libsodium's crypto_pwhash_str writes it (Argon2id, its own salt and
-- costs inside); never the password itself. NULL: a cashier from before passwords, who signs in
-- without one until a manager sets it. 管理员 = 1: may open the 设置 menu.
ALTER TABLE 收款员表 ADD COLUMN 密码 TEXT;
ALTER TABLE 收款员表 ADD COLUMN 管理员 SMALLINT;
