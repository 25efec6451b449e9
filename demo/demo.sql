-- The Quorvel demo database (SQLite). quorvel-make-demo runs it one statement at a time and then
-- stores three pictures it draws itself (BMP, GIF, JPEG) in products.picture.
-- Keep one statement per ";" (no triggers): the maker splits the text on semicolons outside
-- quotes and comments.

-- An auto-increment key; notes is long text.
CREATE TABLE customers (
    id INTEGER PRIMARY KEY AUTOINCREMENT,
    name VARCHAR(40) NOT NULL,
    city VARCHAR(30),
    country VARCHAR(30),
    "credit limit" DOUBLE,
    active BOOLEAN NOT NULL DEFAULT 1,
    joined DATE,
    notes TEXT
);

-- The key is only a unique column (no primary key); picture holds the demo pictures.
CREATE TABLE products (
    sku VARCHAR(12) NOT NULL UNIQUE,
    name VARCHAR(40) NOT NULL,
    price REAL,
    weight_kg REAL,
    in_stock BOOLEAN,
    description TEXT,
    picture_format VARCHAR(4),
    picture BLOB
);

-- Auto-increment key again, a column name with a blank, a date and a timestamp.
CREATE TABLE orders (
    order_no INTEGER PRIMARY KEY AUTOINCREMENT,
    customer_id INTEGER NOT NULL,
    "order date" DATE NOT NULL,
    shipped TIMESTAMP,
    total DOUBLE,
    paid BOOLEAN
);

CREATE TABLE order_items (
    order_no INTEGER NOT NULL,
    sku VARCHAR(12) NOT NULL,
    quantity SMALLINT NOT NULL,
    unit_price REAL
);

-- Neither a primary key nor a unique column: rows may repeat.
CREATE TABLE visit_log (
    visited TIMESTAMP,
    customer_id INTEGER,
    page VARCHAR(40),
    seconds REAL
);

INSERT INTO customers (name, city, country, "credit limit", active, joined, notes) VALUES
    ('Harbour Lights Books', 'Bristol', 'United Kingdom', 2500.0, 1, '2019-03-14',
     'Independent bookshop on the waterfront. Orders every month, mostly lamps and shelving for the reading corner. Pays promptly by bank transfer.');
INSERT INTO customers (name, city, country, "credit limit", active, joined, notes) VALUES
    ('Café Müller & Söhne', 'Köln', 'Deutschland', 4000.0, 1, '2020-11-02',
     'Family-run café with three branches. Contact: Frau Müller (mornings only).');
INSERT INTO customers (name, city, country, "credit limit", active, joined, notes) VALUES
    ('O''Connor Joinery', 'Galway', 'Ireland', 1200.5, 1, '2021-06-30', NULL);
INSERT INTO customers (name, city, country, "credit limit", active, joined, notes) VALUES
    ('Nordlys Design AS', 'Tromsø', 'Norge', 8000.0, 0, '2018-01-09',
     'Account on hold since the move to new premises.

History of the account:
2018-01 First order: twelve desk lamps for the new studio, delivered in two parts because the
second batch was held at customs for a week. The customer was patient about it and asked only
that the next delivery be announced a day ahead.
2018-09 Reorder of lamp shades in two colours; one carton arrived damaged and was replaced at our
cost. Since then every carton for this customer is double-boxed.
2019-05 Showroom fit-out: shelving, lamps and the large oak table. Paid in three instalments as
agreed with accounts; all three arrived on time.
2020-02 Price list for 2020 sent; the customer asked for quotes in NOK as well as EUR.
2021-10 Visit by our sales team. Interest in the outdoor range for the terrace; samples sent.
2022-04 Small order of spare parts (bulbs, switches, cable). Invoice queried: the VAT line was
wrong and a corrected invoice was issued the same day.
2023-08 Moved to new premises across the harbour. New delivery address to be confirmed; until
then no deliveries and the account is on hold. Do not release any order before the address is
confirmed in writing by the office manager.

Delivery notes: the loading bay closes at 15:00; ring the bell at the side door. Large items need
two people: the stairs to the showroom are narrow and turn twice.');
INSERT INTO customers (name, city, country, "credit limit", active, joined, notes) VALUES
    ('Sunrise Garden Centre', 'Leeds', 'United Kingdom', 0.0, 1, '2024-02-29', '');
INSERT INTO customers (name, city, country, "credit limit", active, joined, notes) VALUES
    ('Atelier Lumière', 'Lyon', 'France', NULL, 1, NULL, 'Prefers French invoices; "atelier" in the address line.');

INSERT INTO products (sku, name, price, weight_kg, in_stock, description) VALUES
    ('LMP-100', 'Desk lamp "Beacon"', 49.9, 1.35, 1, 'Adjustable arm, warm white LED, 40 cm reach.');
INSERT INTO products (sku, name, price, weight_kg, in_stock, description) VALUES
    ('LMP-220', 'Floor lamp "Tall Tom"', 129.0, 6.8, 1, 'Linen shade, brass stem, foot switch.');
INSERT INTO products (sku, name, price, weight_kg, in_stock, description) VALUES
    ('SHF-040', 'Wall shelf, oak, 80 cm', 74.5, 4.2, 0, 'Solid oak; hidden brackets included. Holds 25 kg.');
INSERT INTO products (sku, name, price, weight_kg, in_stock, description) VALUES
    ('TBL-900', 'Dining table "Harbour"', 899.0, 48.0, 1, NULL);
INSERT INTO products (sku, name, price, weight_kg, in_stock, description) VALUES
    ('BLB-E27', 'LED bulb E27, 8 W', 3.95, 0.05, 1, 'Pack of one; 806 lm; 2700 K.');
INSERT INTO products (sku, name, price, weight_kg, in_stock, description) VALUES
    ('CBL-3M', 'Textile cable, 3 m', 12.25, NULL, NULL, 'Braided; black or grey.');

INSERT INTO orders (customer_id, "order date", shipped, total, paid) VALUES (1, '2024-01-15', '2024-01-17 10:30:00', 199.6, 1);
INSERT INTO orders (customer_id, "order date", shipped, total, paid) VALUES (2, '2024-02-29', '2024-03-01 08:05:12', 1028.0, 1);
INSERT INTO orders (customer_id, "order date", shipped, total, paid) VALUES (3, '2024-03-03', NULL, 74.5, 0);
INSERT INTO orders (customer_id, "order date", shipped, total, paid) VALUES (1, '2024-12-31', '2025-01-02 16:45:00', 19.75, 1);
INSERT INTO orders (customer_id, "order date", shipped, total, paid) VALUES (5, '2025-04-01', NULL, NULL, NULL);

INSERT INTO order_items (order_no, sku, quantity, unit_price) VALUES (1, 'LMP-100', 4, 49.9);
INSERT INTO order_items (order_no, sku, quantity, unit_price) VALUES (2, 'TBL-900', 1, 899.0);
INSERT INTO order_items (order_no, sku, quantity, unit_price) VALUES (2, 'LMP-220', 1, 129.0);
INSERT INTO order_items (order_no, sku, quantity, unit_price) VALUES (3, 'SHF-040', 1, 74.5);
INSERT INTO order_items (order_no, sku, quantity, unit_price) VALUES (4, 'BLB-E27', 5, 3.95);

INSERT INTO visit_log (visited, customer_id, page, seconds) VALUES ('2024-03-01 09:00:00', 2, 'lamps', 35.5);
INSERT INTO visit_log (visited, customer_id, page, seconds) VALUES ('2024-03-01 09:00:00', 2, 'lamps', 35.5);
INSERT INTO visit_log (visited, customer_id, page, seconds) VALUES ('2024-03-01 09:02:41', 2, 'tables', 120.25);
INSERT INTO visit_log (visited, customer_id, page, seconds) VALUES ('2024-03-02 17:30:00', NULL, 'home', 4.0);
INSERT INTO visit_log (visited, customer_id, page, seconds) VALUES ('2024-03-05 11:11:11', 4, 'shelves; oak', 61.0);
