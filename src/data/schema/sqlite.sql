-- The Tallimar database (sqlite): first the tables, holding exactly the columns the program reads
-- and writes, as the suite's database has them; then the recommended indexes.
-- Statements are separated by a line holding only ';'.
-- The primary keys are a convenience of the databases we create: the program relies on none
-- of them, and the bare test database has no key beyond what an identity column needs.

CREATE TABLE Assignments (
    Rec_ID INTEGER PRIMARY KEY AUTOINCREMENT,
    Assignment VARCHAR(50),
    isActive SMALLINT,
    isProtected SMALLINT,
    Billable SMALLINT,
    Night_Shift SMALLINT,
    Trans_To SMALLINT,
    Trans_From SMALLINT,
    WH INTEGER,
    OT INTEGER,
    HT INTEGER,
    Client_ID BIGINT,
    Project_Description VARCHAR(255),
    Site_Location VARCHAR(255),
    Remarks VARCHAR(255),
    Map_Latitude VARCHAR(50),
    Map_Longitude VARCHAR(50),
    Project_Manager_Name VARCHAR(50),
    Timekeeper_Name VARCHAR(50),
    Accountant_Name VARCHAR(50),
    HSE_Manager_Name VARCHAR(50),
    Project_Manager_Mobile VARCHAR(20),
    Timekeeper_Mobile VARCHAR(20),
    Accountant_Mobile VARCHAR(20),
    HSE_Manager_Mobile VARCHAR(20),
    Project_Manager_Email VARCHAR(50),
    Timekeeper_Email VARCHAR(50),
    Accountant_Email VARCHAR(50),
    HSE_Manager_Email VARCHAR(50),
    Payment_Terms VARCHAR(50),
    ERP_Account_No VARCHAR(50)
)
;

CREATE TABLE AssignmentsRates (
    Rec_ID INTEGER PRIMARY KEY AUTOINCREMENT,
    Assignment VARCHAR(50),
    Site_Job VARCHAR(100),
    WH_Rate REAL,
    OT_Rate REAL,
    HT_Rate REAL
)
;

CREATE TABLE Clients (
    Rec_ID INTEGER PRIMARY KEY AUTOINCREMENT,
    Client_Name VARCHAR(50),
    Client_Kind VARCHAR(50),
    Client_Size VARCHAR(50),
    Payment_Terms VARCHAR(50),
    Web_Site VARCHAR(50),
    HO_Address VARCHAR(255),
    isActive SMALLINT,
    Manager_Name VARCHAR(50),
    Manager_Title VARCHAR(50),
    Manager_Email VARCHAR(50),
    Manager_Mobile VARCHAR(20),
    Purchasing_Manager_Name VARCHAR(50),
    Purchasing_Manager_Email VARCHAR(50),
    Purchasing_Manager_Mobile VARCHAR(20),
    Finance_Manager_Name VARCHAR(50),
    Finance_Manager_Email VARCHAR(50),
    Finance_Manager_Mobile VARCHAR(20)
)
;

CREATE TABLE TimeSheets (
    Rec_ID INTEGER PRIMARY KEY,
    Col_Date DATETIME,
    Col_Year INTEGER,
    Col_Month INTEGER,
    Col_Day INTEGER,
    Ref_No BIGINT,
    Employee_No VARCHAR(50),
    Employee_Name VARCHAR(100),
    Assignment VARCHAR(32),
    OurJob VARCHAR(100),
    SiteJob VARCHAR(100),
    OurAtt_Code VARCHAR(2),
    OurAtt_Desc VARCHAR(50),
    Our_WH INTEGER,
    Our_OT INTEGER,
    Our_HT INTEGER,
    Entered_By VARCHAR(50),
    Entered_Date DATETIME,
    Checked SMALLINT NOT NULL DEFAULT 0,
    Checked_By VARCHAR(50),
    Checked_Date DATETIME
)
;

CREATE TABLE ClientTimeSheets (
    Rec_ID INTEGER PRIMARY KEY AUTOINCREMENT,
    Col_Date DATETIME,
    Col_Year INTEGER,
    Col_Month INTEGER,
    Col_Day INTEGER,
    Ref_No BIGINT,
    Employee_No VARCHAR(50),
    Employee_Name VARCHAR(100),
    Assignment VARCHAR(32),
    ClientJob VARCHAR(100),
    ClientAtt_Code VARCHAR(2),
    ClientAtt_Desc VARCHAR(50),
    Client_WH INTEGER,
    Client_OT INTEGER,
    Client_HT INTEGER,
    Entered_By VARCHAR(50),
    Entered_Date DATETIME,
    Checked SMALLINT NOT NULL DEFAULT 0,
    Checked_By VARCHAR(50),
    Checked_Date DATETIME,
    Dispute SMALLINT NOT NULL DEFAULT 0,
    Closed SMALLINT NOT NULL DEFAULT 0
)
;

CREATE TABLE Invoices (
    Col_Year INTEGER,
    Col_Month INTEGER,
    Assignment VARCHAR(32),
    Ref_No BIGINT,
    Employee_No VARCHAR(50),
    Employee_Name VARCHAR(100),
    Our_Job VARCHAR(100),
    Client_Job VARCHAR(100),
    Days_Calander INTEGER,
    Days_Present INTEGER,
    Earned_WH_Hours INTEGER,
    Earned_OT_Hours INTEGER,
    Earned_HT_Hours INTEGER,
    Earned_WH_Rate REAL,
    Earned_OT_Rate REAL,
    Earned_HT_Rate REAL,
    Earned_WH_Amount REAL,
    Earned_OT_Amount REAL,
    Earned_HT_Amount REAL,
    Earned_Total REAL,
    D01_Code VARCHAR(2),
    D02_Code VARCHAR(2),
    D03_Code VARCHAR(2),
    D04_Code VARCHAR(2),
    D05_Code VARCHAR(2),
    D06_Code VARCHAR(2),
    D07_Code VARCHAR(2),
    D08_Code VARCHAR(2),
    D09_Code VARCHAR(2),
    D10_Code VARCHAR(2),
    D11_Code VARCHAR(2),
    D12_Code VARCHAR(2),
    D13_Code VARCHAR(2),
    D14_Code VARCHAR(2),
    D15_Code VARCHAR(2),
    D16_Code VARCHAR(2),
    D17_Code VARCHAR(2),
    D18_Code VARCHAR(2),
    D19_Code VARCHAR(2),
    D20_Code VARCHAR(2),
    D21_Code VARCHAR(2),
    D22_Code VARCHAR(2),
    D23_Code VARCHAR(2),
    D24_Code VARCHAR(2),
    D25_Code VARCHAR(2),
    D26_Code VARCHAR(2),
    D27_Code VARCHAR(2),
    D28_Code VARCHAR(2),
    D29_Code VARCHAR(2),
    D30_Code VARCHAR(2),
    D31_Code VARCHAR(2),
    D01_Hour VARCHAR(8),
    D02_Hour VARCHAR(8),
    D03_Hour VARCHAR(8),
    D04_Hour VARCHAR(8),
    D05_Hour VARCHAR(8),
    D06_Hour VARCHAR(8),
    D07_Hour VARCHAR(8),
    D08_Hour VARCHAR(8),
    D09_Hour VARCHAR(8),
    D10_Hour VARCHAR(8),
    D11_Hour VARCHAR(8),
    D12_Hour VARCHAR(8),
    D13_Hour VARCHAR(8),
    D14_Hour VARCHAR(8),
    D15_Hour VARCHAR(8),
    D16_Hour VARCHAR(8),
    D17_Hour VARCHAR(8),
    D18_Hour VARCHAR(8),
    D19_Hour VARCHAR(8),
    D20_Hour VARCHAR(8),
    D21_Hour VARCHAR(8),
    D22_Hour VARCHAR(8),
    D23_Hour VARCHAR(8),
    D24_Hour VARCHAR(8),
    D25_Hour VARCHAR(8),
    D26_Hour VARCHAR(8),
    D27_Hour VARCHAR(8),
    D28_Hour VARCHAR(8),
    D29_Hour VARCHAR(8),
    D30_Hour VARCHAR(8),
    D31_Hour VARCHAR(8)
)
;

CREATE TABLE PayrollActiveCycle (
    Rec_ID INTEGER PRIMARY KEY,
    Cycle_Year INTEGER,
    Cycle_Month INTEGER
)
;

CREATE TABLE SiteJobs (
    Rec_ID INTEGER PRIMARY KEY,
    Job_Site VARCHAR(100)
)
;

CREATE TABLE UsersRoles (
    UserName VARCHAR(50),
    RoleName VARCHAR(50)
)
;

CREATE TABLE Workers (
    Rec_ID INTEGER PRIMARY KEY,
    Employee_No VARCHAR(50),
    FirstName VARCHAR(50),
    SecondName VARCHAR(50),
    LastName VARCHAR(50),
    Nationality VARCHAR(100),
    OurJob VARCHAR(100),
    SiteJob VARCHAR(100),
    Assignment VARCHAR(32),
    Arrival_Date DATETIME
)
;

-- ---------------------------------------------------------------------------------------------
-- Recommended indexes: for speed only. The program is correct without any of them (one project
-- per name and one invoice line per project, worker and month are kept by the transactions that
-- write), so a database that lacks them is slower, never wrong. `tallimar-cli db-check` names
-- the ones it lacks. Nothing but CREATE [UNIQUE] INDEX statements from here on.
-- ---------------------------------------------------------------------------------------------

CREATE INDEX IX_TimeSheets_Month ON TimeSheets (Col_Year, Col_Month, Assignment, Ref_No, Col_Date)
;

CREATE INDEX IX_TimeSheets_RefMonth ON TimeSheets (Ref_No, Col_Year, Col_Month)
;

CREATE INDEX IX_TimeSheets_Date ON TimeSheets (Col_Date)
;

-- A worker's day is found by reference first: the move writes a worker's rows together, and
-- an index ordered by date takes a page of every day into each worker's commit (only the
-- dashboard's index keeps that order).
CREATE INDEX IX_ClientTimeSheets_Month ON ClientTimeSheets (Col_Year, Col_Month, Assignment, Ref_No, Col_Date, ClientAtt_Code, Client_WH, Client_OT, Client_HT)
;

CREATE INDEX IX_ClientTimeSheets_RefDate ON ClientTimeSheets (Ref_No, Col_Date)
;

CREATE INDEX IX_ClientTimeSheets_Dispute ON ClientTimeSheets (Dispute)
;

CREATE INDEX IX_TimeSheets_Employee ON TimeSheets (Employee_No, Assignment, Col_Year, Col_Month, Col_Date)
;

CREATE INDEX IX_ClientTimeSheets_Employee ON ClientTimeSheets (Employee_No, Assignment, Col_Year, Col_Month, Col_Date)
;

-- Covering indexes for the dashboard's month sums per day (read in day order, no sort).
CREATE INDEX IX_TimeSheets_Dashboard ON TimeSheets (Col_Year, Col_Month, Col_Date, OurAtt_Code, Our_WH, Our_OT, Our_HT)
;

CREATE INDEX IX_ClientTimeSheets_Dashboard ON ClientTimeSheets (Col_Year, Col_Month, Col_Date, ClientAtt_Code, Client_WH, Client_OT, Client_HT)
;

CREATE UNIQUE INDEX UX_Invoices_Line ON Invoices (Assignment, Ref_No, Col_Year, Col_Month)
;

-- The invoice details list: one project's month in employee order, without a sort.
CREATE INDEX IX_Invoices_Month ON Invoices (Col_Year, Col_Month, Assignment, Employee_No)
;

CREATE INDEX IX_AssignmentsRates_Job ON AssignmentsRates (Assignment, Site_Job)
;

CREATE INDEX IX_Assignments_Name ON Assignments (Assignment)
;

CREATE INDEX IX_Workers_EmployeeNo ON Workers (Employee_No)
;

CREATE INDEX IX_UsersRoles_User ON UsersRoles (UserName, RoleName)
;

-- A project name is the key of rates, attendance and invoice rows: one project per name.
CREATE UNIQUE INDEX UX_Assignments_Assignment ON Assignments (Assignment)
;
