-- The Tallimar database (sqlserver): first the tables, holding exactly the columns the program reads
-- and writes, as the suite's database has them; then the recommended indexes.
-- Statements are separated by a line holding only ';'.
-- The primary keys are a convenience of the databases we create: the program relies on none
-- of them, and the bare test database has no key beyond what an identity column needs.

CREATE TABLE Assignments (
    Rec_ID BIGINT IDENTITY(1,1) PRIMARY KEY,
    Assignment NVARCHAR(50),
    isActive BIT,
    isProtected BIT,
    Billable BIT,
    Night_Shift BIT,
    Trans_To BIT,
    Trans_From BIT,
    WH INT,
    OT INT,
    HT INT,
    Client_ID BIGINT,
    Project_Description NVARCHAR(255),
    Site_Location NVARCHAR(255),
    Remarks NVARCHAR(255),
    Map_Latitude NVARCHAR(50),
    Map_Longitude NVARCHAR(50),
    Project_Manager_Name NVARCHAR(50),
    Timekeeper_Name NVARCHAR(50),
    Accountant_Name NVARCHAR(50),
    HSE_Manager_Name NVARCHAR(50),
    Project_Manager_Mobile NVARCHAR(20),
    Timekeeper_Mobile NVARCHAR(20),
    Accountant_Mobile NVARCHAR(20),
    HSE_Manager_Mobile NVARCHAR(20),
    Project_Manager_Email NVARCHAR(50),
    Timekeeper_Email NVARCHAR(50),
    Accountant_Email NVARCHAR(50),
    HSE_Manager_Email NVARCHAR(50),
    Payment_Terms NVARCHAR(50),
    ERP_Account_No NVARCHAR(50)
)
;

CREATE TABLE AssignmentsRates (
    Rec_ID BIGINT IDENTITY(1,1) PRIMARY KEY,
    Assignment NVARCHAR(50),
    Site_Job NVARCHAR(100),
    WH_Rate FLOAT,
    OT_Rate FLOAT,
    HT_Rate FLOAT
)
;

CREATE TABLE Clients (
    Rec_ID BIGINT IDENTITY(1,1) PRIMARY KEY,
    Client_Name NVARCHAR(50),
    Client_Kind NVARCHAR(50),
    Client_Size NVARCHAR(50),
    Payment_Terms NVARCHAR(50),
    Web_Site NVARCHAR(50),
    HO_Address NVARCHAR(255),
    isActive BIT,
    Manager_Name NVARCHAR(50),
    Manager_Title NVARCHAR(50),
    Manager_Email NVARCHAR(50),
    Manager_Mobile NVARCHAR(20),
    Purchasing_Manager_Name NVARCHAR(50),
    Purchasing_Manager_Email NVARCHAR(50),
    Purchasing_Manager_Mobile NVARCHAR(20),
    Finance_Manager_Name NVARCHAR(50),
    Finance_Manager_Email NVARCHAR(50),
    Finance_Manager_Mobile NVARCHAR(20)
)
;

CREATE TABLE TimeSheets (
    Rec_ID BIGINT PRIMARY KEY,
    Col_Date DATETIME,
    Col_Year INT,
    Col_Month INT,
    Col_Day INT,
    Ref_No BIGINT,
    Employee_No NVARCHAR(50),
    Employee_Name NVARCHAR(100),
    Assignment NVARCHAR(32),
    OurJob NVARCHAR(100),
    SiteJob NVARCHAR(100),
    OurAtt_Code NVARCHAR(2),
    OurAtt_Desc NVARCHAR(50),
    Our_WH INT,
    Our_OT INT,
    Our_HT INT,
    Entered_By NVARCHAR(50),
    Entered_Date DATETIME,
    Checked BIT NOT NULL DEFAULT 0,
    Checked_By NVARCHAR(50),
    Checked_Date DATETIME
)
;

CREATE TABLE ClientTimeSheets (
    Rec_ID BIGINT IDENTITY(1,1) PRIMARY KEY,
    Col_Date DATETIME,
    Col_Year INT,
    Col_Month INT,
    Col_Day INT,
    Ref_No BIGINT,
    Employee_No NVARCHAR(50),
    Employee_Name NVARCHAR(100),
    Assignment NVARCHAR(32),
    ClientJob NVARCHAR(100),
    ClientAtt_Code NVARCHAR(2),
    ClientAtt_Desc NVARCHAR(50),
    Client_WH INT,
    Client_OT INT,
    Client_HT INT,
    Entered_By NVARCHAR(50),
    Entered_Date DATETIME,
    Checked BIT NOT NULL DEFAULT 0,
    Checked_By NVARCHAR(50),
    Checked_Date DATETIME,
    Dispute BIT NOT NULL DEFAULT 0,
    Closed BIT NOT NULL DEFAULT 0
)
;

CREATE TABLE Invoices (
    Col_Year INT,
    Col_Month INT,
    Assignment NVARCHAR(32),
    Ref_No BIGINT,
    Employee_No NVARCHAR(50),
    Employee_Name NVARCHAR(100),
    Our_Job NVARCHAR(100),
    Client_Job NVARCHAR(100),
    Days_Calander INT,
    Days_Present INT,
    Earned_WH_Hours INT,
    Earned_OT_Hours INT,
    Earned_HT_Hours INT,
    Earned_WH_Rate FLOAT,
    Earned_OT_Rate FLOAT,
    Earned_HT_Rate FLOAT,
    Earned_WH_Amount FLOAT,
    Earned_OT_Amount FLOAT,
    Earned_HT_Amount FLOAT,
    Earned_Total FLOAT,
    D01_Code NVARCHAR(2),
    D02_Code NVARCHAR(2),
    D03_Code NVARCHAR(2),
    D04_Code NVARCHAR(2),
    D05_Code NVARCHAR(2),
    D06_Code NVARCHAR(2),
    D07_Code NVARCHAR(2),
    D08_Code NVARCHAR(2),
    D09_Code NVARCHAR(2),
    D10_Code NVARCHAR(2),
    D11_Code NVARCHAR(2),
    D12_Code NVARCHAR(2),
    D13_Code NVARCHAR(2),
    D14_Code NVARCHAR(2),
    D15_Code NVARCHAR(2),
    D16_Code NVARCHAR(2),
    D17_Code NVARCHAR(2),
    D18_Code NVARCHAR(2),
    D19_Code NVARCHAR(2),
    D20_Code NVARCHAR(2),
    D21_Code NVARCHAR(2),
    D22_Code NVARCHAR(2),
    D23_Code NVARCHAR(2),
    D24_Code NVARCHAR(2),
    D25_Code NVARCHAR(2),
    D26_Code NVARCHAR(2),
    D27_Code NVARCHAR(2),
    D28_Code NVARCHAR(2),
    D29_Code NVARCHAR(2),
    D30_Code NVARCHAR(2),
    D31_Code NVARCHAR(2),
    D01_Hour NVARCHAR(8),
    D02_Hour NVARCHAR(8),
    D03_Hour NVARCHAR(8),
    D04_Hour NVARCHAR(8),
    D05_Hour NVARCHAR(8),
    D06_Hour NVARCHAR(8),
    D07_Hour NVARCHAR(8),
    D08_Hour NVARCHAR(8),
    D09_Hour NVARCHAR(8),
    D10_Hour NVARCHAR(8),
    D11_Hour NVARCHAR(8),
    D12_Hour NVARCHAR(8),
    D13_Hour NVARCHAR(8),
    D14_Hour NVARCHAR(8),
    D15_Hour NVARCHAR(8),
    D16_Hour NVARCHAR(8),
    D17_Hour NVARCHAR(8),
    D18_Hour NVARCHAR(8),
    D19_Hour NVARCHAR(8),
    D20_Hour NVARCHAR(8),
    D21_Hour NVARCHAR(8),
    D22_Hour NVARCHAR(8),
    D23_Hour NVARCHAR(8),
    D24_Hour NVARCHAR(8),
    D25_Hour NVARCHAR(8),
    D26_Hour NVARCHAR(8),
    D27_Hour NVARCHAR(8),
    D28_Hour NVARCHAR(8),
    D29_Hour NVARCHAR(8),
    D30_Hour NVARCHAR(8),
    D31_Hour NVARCHAR(8)
)
;

CREATE TABLE PayrollActiveCycle (
    Rec_ID BIGINT PRIMARY KEY,
    Cycle_Year INT,
    Cycle_Month INT
)
;

CREATE TABLE SiteJobs (
    Rec_ID BIGINT PRIMARY KEY,
    Job_Site NVARCHAR(100)
)
;

CREATE TABLE UsersRoles (
    UserName NVARCHAR(50),
    RoleName NVARCHAR(50)
)
;

CREATE TABLE Workers (
    Rec_ID BIGINT PRIMARY KEY,
    Employee_No NVARCHAR(50),
    FirstName NVARCHAR(50),
    SecondName NVARCHAR(50),
    LastName NVARCHAR(50),
    Nationality NVARCHAR(100),
    OurJob NVARCHAR(100),
    SiteJob NVARCHAR(100),
    Assignment NVARCHAR(32),
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
