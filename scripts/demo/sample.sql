-- A small shop, for trying the program: a few related tables, some
-- hundreds of rows, accented texts and a NULL or two.
CREATE TABLE categories (
  id INT PRIMARY KEY AUTO_INCREMENT,
  libelle VARCHAR(60) NOT NULL,
  description TEXT NULL
) ENGINE=InnoDB DEFAULT CHARSET=utf8mb4;

CREATE TABLE clients (
  id INT PRIMARY KEY AUTO_INCREMENT,
  nom VARCHAR(80) NOT NULL,
  prenom VARCHAR(80) NOT NULL,
  ville VARCHAR(80) NULL,
  courriel VARCHAR(120) NULL,
  inscrit_le DATE NOT NULL
) ENGINE=InnoDB DEFAULT CHARSET=utf8mb4;

CREATE TABLE produits (
  id INT PRIMARY KEY AUTO_INCREMENT,
  categorie_id INT NOT NULL,
  designation VARCHAR(120) NOT NULL,
  prix DECIMAL(10,2) NOT NULL,
  stock INT NULL,
  FOREIGN KEY (categorie_id) REFERENCES categories (id)
) ENGINE=InnoDB DEFAULT CHARSET=utf8mb4;

CREATE TABLE commandes (
  id INT PRIMARY KEY AUTO_INCREMENT,
  client_id INT NOT NULL,
  passee_le DATETIME NOT NULL,
  statut ENUM('en attente','expédiée','livrée','annulée') NOT NULL,
  remarque VARCHAR(200) NULL,
  FOREIGN KEY (client_id) REFERENCES clients (id)
) ENGINE=InnoDB DEFAULT CHARSET=utf8mb4;

CREATE TABLE lignes_commande (
  commande_id INT NOT NULL,
  produit_id INT NOT NULL,
  quantite INT NOT NULL,
  PRIMARY KEY (commande_id, produit_id),
  FOREIGN KEY (commande_id) REFERENCES commandes (id),
  FOREIGN KEY (produit_id) REFERENCES produits (id)
) ENGINE=InnoDB DEFAULT CHARSET=utf8mb4;

INSERT INTO categories (libelle, description) VALUES
  ('Épicerie', 'Produits secs et conserves'),
  ('Boulangerie', 'Pains, viennoiseries et pâtisseries'),
  ('Crèmerie', 'Fromages, beurre et crème fraîche'),
  ('Boissons', NULL),
  ('Fruits & légumes', 'De saison, récoltés près d''ici');

INSERT INTO clients (nom, prenom, ville, courriel, inscrit_le)
WITH RECURSIVE n AS (SELECT 1 AS i UNION ALL SELECT i + 1 FROM n WHERE i < 200)
SELECT
  ELT(1 + i % 10, 'Martin', 'Bernard', 'Dubois', 'Thomas', 'Robert', 'Richard', 'Petit', 'Durand', 'Leroy', 'Moreau'),
  ELT(1 + i % 8, 'Amélie', 'Hélène', 'Jérôme', 'François', 'Céline', 'Noël', 'Zoé', 'Gaëlle'),
  IF(i % 17 = 0, NULL, ELT(1 + i % 6, 'Paris', 'Besançon', 'Orléans', 'Nîmes', 'Saint-Étienne', 'Lyon')),
  IF(i % 11 = 0, NULL, CONCAT('client', i, '@exemple.fr')),
  DATE_ADD('2024-01-01', INTERVAL i * 3 DAY)
FROM n;

INSERT INTO produits (categorie_id, designation, prix, stock)
WITH RECURSIVE n AS (SELECT 1 AS i UNION ALL SELECT i + 1 FROM n WHERE i < 60)
SELECT
  1 + i % 5,
  CONCAT(ELT(1 + i % 12, 'Café moulu', 'Baguette', 'Comté affiné', 'Jus de pomme', 'Pêches', 'Crème brûlée',
                         'Pâtes fraîches', 'Brioche', 'Camembert', 'Limonade', 'Clémentines', 'Thé vert'),
         ' n°', i),
  ROUND(0.5 + (i * 37 % 200) / 10, 2),
  IF(i % 13 = 0, NULL, i * 7 % 150)
FROM n;

INSERT INTO commandes (client_id, passee_le, statut, remarque)
WITH RECURSIVE n AS (SELECT 1 AS i UNION ALL SELECT i + 1 FROM n WHERE i < 400)
SELECT
  1 + i * 7 % 200,
  DATE_ADD('2025-01-01 08:00:00', INTERVAL i * 517 MINUTE),
  ELT(1 + i % 4, 'en attente', 'expédiée', 'livrée', 'annulée'),
  IF(i % 9 = 0, 'À livrer après 18 h', IF(i % 5 = 0, '', NULL))
FROM n;

INSERT INTO lignes_commande (commande_id, produit_id, quantite)
WITH RECURSIVE n AS (SELECT 1 AS i UNION ALL SELECT i + 1 FROM n WHERE i < 400)
SELECT i, 1 + i * 11 % 60, 1 + i % 4 FROM n
UNION ALL
SELECT i, 1 + (i * 11 + 29) % 60, 1 + i % 3 FROM n WHERE i % 2 = 0;
