-- Schema of an exercise database, version 3. The template ZEB_00.mdb is built from this file, and
-- tests build their databases from it too. Text columns ignore letter case (FR_NOCASE); dates are ISO
-- text "yyyy-mm-dd"; Boolean columns hold 1 or 0; other columns have no default, so a field never
-- written reads as null.

CREATE TABLE Agents (
    num          INTEGER PRIMARY KEY,
    Type_Ag      INTEGER,
    nom          TEXT COLLATE FR_NOCASE,
    Prenom       TEXT COLLATE FR_NOCASE,
    Fonction     TEXT COLLATE FR_NOCASE,
    tel          TEXT COLLATE FR_NOCASE,
    ville        TEXT COLLATE FR_NOCASE,
    Salarie      INTEGER NOT NULL DEFAULT 0,
    d_entree     TEXT,
    SS           TEXT COLLATE FR_NOCASE,
    Taux_Jour    REAL,
    Arch         INTEGER NOT NULL DEFAULT 0,
    flag_permis  INTEGER NOT NULL DEFAULT 0,
    Num_Permis   TEXT COLLATE FR_NOCASE,
    Date_Permis  TEXT,
    Ville_Permis TEXT COLLATE FR_NOCASE,
    Num_CNI      TEXT COLLATE FR_NOCASE,
    Date_CNI     TEXT,
    Ville_CNI    TEXT COLLATE FR_NOCASE,
    flag_cnas    INTEGER,
    flag_irg     INTEGER,
    obs          TEXT COLLATE FR_NOCASE,
    photo        TEXT COLLATE FR_NOCASE
);
CREATE INDEX Agents_Type_Ag ON Agents (Type_Ag, Arch);
CREATE INDEX Agents_nom ON Agents (nom, Prenom);

CREATE TABLE Vehicules (
    num              INTEGER PRIMARY KEY,
    matricule        TEXT COLLATE FR_NOCASE,
    Annee            TEXT COLLATE FR_NOCASE,
    num_Genre        INTEGER,
    num_marque       INTEGER,
    num_Modele       INTEGER,
    num_carburant    INTEGER,
    Date_circulation TEXT,
    C_Grise          TEXT COLLATE FR_NOCASE,
    Date             TEXT,
    flag_Arch        INTEGER,
    ordre            INTEGER,
    Date_vidange     TEXT,
    Km_Vidange       REAL,
    oil_vidange      TEXT COLLATE FR_NOCASE,
    moyenne          REAL
);
CREATE INDEX Vehicules_flag_Arch ON Vehicules (flag_Arch);
CREATE INDEX Vehicules_matricule ON Vehicules (matricule);

CREATE TABLE Genres     (num INTEGER PRIMARY KEY, denom TEXT COLLATE FR_NOCASE, ordre INTEGER);
CREATE TABLE Marques    (num INTEGER PRIMARY KEY, denom TEXT COLLATE FR_NOCASE, ordre INTEGER);
CREATE TABLE Modeles    (num INTEGER PRIMARY KEY, denom TEXT COLLATE FR_NOCASE, ordre INTEGER);
CREATE TABLE Carburants (num INTEGER PRIMARY KEY, denom TEXT COLLATE FR_NOCASE, ordre INTEGER);

CREATE TABLE Depenses (
    num          INTEGER PRIMARY KEY,
    date         TEXT,
    MM           INTEGER,
    Montant      REAL,
    mode         INTEGER,
    ref          TEXT COLLATE FR_NOCASE,
    contrepartie INTEGER,
    Type_Dep     INTEGER,
    num_vehicule INTEGER,
    Num_Agent    INTEGER,
    Km           REAL
);
CREATE INDEX Depenses_date ON Depenses (date, num, contrepartie, Type_Dep, Montant);
CREATE INDEX Depenses_MM ON Depenses (MM);
CREATE INDEX Depenses_vehicule ON Depenses (num_vehicule, date, num, contrepartie, Type_Dep, Montant);
CREATE INDEX Depenses_km ON Depenses (num_vehicule, Km, contrepartie, Type_Dep) WHERE Km > 0;
CREATE INDEX Depenses_agent ON Depenses (Num_Agent, contrepartie, date);
CREATE INDEX Depenses_contrepartie ON Depenses (contrepartie, Type_Dep);

CREATE TABLE Recettes (
    num          INTEGER PRIMARY KEY,
    date         TEXT,
    MM           INTEGER,
    Montant      REAL,
    mode         INTEGER,
    ref          TEXT COLLATE FR_NOCASE,
    contrepartie INTEGER,
    num_vehicule INTEGER,
    Num_Agent    INTEGER
);
CREATE INDEX Recettes_date ON Recettes (date, num, Montant);
CREATE INDEX Recettes_MM ON Recettes (MM);
CREATE INDEX Recettes_vehicule ON Recettes (num_vehicule, date);
CREATE INDEX Recettes_agent ON Recettes (Num_Agent, contrepartie, date);
CREATE INDEX Recettes_contrepartie ON Recettes (contrepartie);

CREATE TABLE Assurances (num INTEGER PRIMARY KEY, num_vehicule INTEGER, agence TEXT COLLATE FR_NOCASE, du TEXT, au TEXT);
CREATE INDEX Assurances_vehicule ON Assurances (num_vehicule);
CREATE TABLE Controles (num INTEGER PRIMARY KEY, num_vehicule INTEGER, Date1 TEXT, Date2 TEXT);
CREATE INDEX Controles_vehicule ON Controles (num_vehicule);
CREATE TABLE Vignettes (num INTEGER PRIMARY KEY, num_vehicule INTEGER, Date TEXT, montant REAL);
CREATE INDEX Vignettes_vehicule ON Vignettes (num_vehicule);
CREATE TABLE Affectations (
    num           INTEGER PRIMARY KEY,
    num_vehicule  INTEGER,
    num_Chauffeur INTEGER,
    du            TEXT,
    au            TEXT,
    obs           TEXT COLLATE FR_NOCASE
);
CREATE INDEX Affectations_vehicule ON Affectations (num_vehicule);
CREATE INDEX Affectations_chauffeur ON Affectations (num_Chauffeur);

CREATE TABLE Locations (
    num             INTEGER PRIMARY KEY,
    num_vehicule    INTEGER,
    Num_Client      INTEGER,
    du              TEXT,
    au              TEXT,
    Nb              INTEGER,
    PU              REAL,
    montant         REAL,
    flag_forfait    INTEGER,
    montant_forfait REAL,
    caution         REAL,
    obs             TEXT COLLATE FR_NOCASE,
    flag_regl       INTEGER,
    flag_Arch       INTEGER
);
CREATE INDEX Locations_vehicule ON Locations (num_vehicule);
CREATE INDEX Locations_client ON Locations (Num_Client);
CREATE INDEX Locations_du ON Locations (du);

CREATE TABLE Salaires (
    num             INTEGER PRIMARY KEY,
    num_agent       INTEGER,
    MM              INTEGER,
    Taux_Jour       REAL,
    nbre_jours      REAL,
    H_Suppl         REAL,
    Ind_S           REAL,
    panier          REAL,
    autre_ind       REAL,
    BRUT            REAL,
    CNAS            REAL,
    IRG             REAL,
    avances         REAL,
    Remb_prets      REAL,
    Autres_Retenues REAL,
    Net             REAL,
    regle           INTEGER NOT NULL DEFAULT 0,
    date            TEXT
);
CREATE INDEX Salaires_agent ON Salaires (num_agent, MM);
CREATE INDEX Salaires_MM ON Salaires (MM);
CREATE INDEX Salaires_date ON Salaires (date);

CREATE TABLE Permn (
    RC TEXT COLLATE FR_NOCASE, Id_Fiscale TEXT COLLATE FR_NOCASE, Article TEXT COLLATE FR_NOCASE,
    Telephone TEXT COLLATE FR_NOCASE, Fax TEXT COLLATE FR_NOCASE, Compte_Bancaire TEXT COLLATE FR_NOCASE,
    rib TEXT COLLATE FR_NOCASE, agence TEXT COLLATE FR_NOCASE, N_CNAS TEXT COLLATE FR_NOCASE,
    Taux_CNAS REAL, Taux_PP REAL, Taux_VF INTEGER, Nb_Jours REAL, Nb_Heures REAL,
    arabe INTEGER NOT NULL DEFAULT 0,
    M1 INTEGER NOT NULL DEFAULT 0, M2 INTEGER NOT NULL DEFAULT 0, M3 INTEGER NOT NULL DEFAULT 0,
    M4 INTEGER NOT NULL DEFAULT 0, M5 INTEGER NOT NULL DEFAULT 0, M6 INTEGER NOT NULL DEFAULT 0,
    M7 INTEGER NOT NULL DEFAULT 0, M8 INTEGER NOT NULL DEFAULT 0, M9 INTEGER NOT NULL DEFAULT 0,
    M10 INTEGER NOT NULL DEFAULT 0, M11 INTEGER NOT NULL DEFAULT 0, M12 INTEGER NOT NULL DEFAULT 0,
    PPTR1 REAL, PPTR2 REAL, PPTR3 REAL, PPTR4 REAL, PPTR5 REAL, PPTR6 REAL,
    PPTR7 REAL, PPTR8 REAL, PPTR9 REAL, PPTR10 REAL, PPTR11 REAL, PPTR12 REAL,
    VF1 REAL, VF2 REAL, VF3 REAL, VF4 REAL, VF5 REAL, VF6 REAL,
    VF7 REAL, VF8 REAL, VF9 REAL, VF10 REAL, VF11 REAL, VF12 REAL,
    Charge1 REAL, Charge2 REAL, Charge3 REAL, Charge4 REAL, Charge5 REAL,
    Charge6 REAL, Charge7 REAL, Charge8 REAL, Charge9 REAL,
    -- Oil-change intervals watched by the due-date list (version 2): days and kilometres after the last
    -- oil change; 0 or null leaves that criterion out.
    Vidange_Jours INTEGER DEFAULT 180,
    Vidange_Km    REAL DEFAULT 10000
);

CREATE TABLE textes (
    ch1 TEXT, ch2 TEXT, ch3 TEXT, ch4 TEXT, ch5 TEXT, ch6 TEXT, ch7 TEXT, ch8 TEXT, ch9 TEXT,
    ch10 TEXT, ch11 TEXT, ch12 TEXT, ch13 TEXT, ch14 TEXT, ch15 TEXT, ch16 TEXT, ch17 TEXT,
    ch18 TEXT, ch19 TEXT, ch20 TEXT, ch21 TEXT, ch22 TEXT, ch23 TEXT, ch24 TEXT, ch25 TEXT,
    ch26 TEXT, ch30 TEXT
);

CREATE TABLE Csse (num_produit INTEGER, C2 REAL, C3 REAL, C4 REAL, C5 REAL, C6 REAL, C7 REAL, C8 REAL, C9 REAL);

CREATE TABLE Tampon1 (
    num     TEXT,
    qualite TEXT COLLATE FR_NOCASE,
    ville   TEXT COLLATE FR_NOCASE,
    tel     TEXT COLLATE FR_NOCASE,
    depense REAL,
    objet   TEXT COLLATE FR_NOCASE
);
CREATE INDEX Tampon1_num ON Tampon1 (num);

-- The rows every exercise starts with: one record of report texts and the fixed first entry of each
-- reference list.
INSERT INTO textes (ch1) VALUES (NULL);
INSERT INTO Genres (num, denom, ordre) VALUES (1, 'Non précisé', 1);
INSERT INTO Marques (num, denom, ordre) VALUES (1, 'Non précisée', 1);
INSERT INTO Modeles (num, denom, ordre) VALUES (1, 'Non précisé', 1);
INSERT INTO Carburants (num, denom, ordre) VALUES (1, 'Non précisé', 1);
