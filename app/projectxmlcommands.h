#pragma once

class CMainFrame;

/// The project as XML for other programs (command 621): a folder is asked
/// for and the whole project written into a new folder in it.
void ExportProjectXml(CMainFrame& frame);
/// The report file (command 622): the top-level codes are picked, the file
/// with their codings is written into a new folder among the user's
/// documents, and that folder is opened.
void ExportReportXml(CMainFrame& frame);
