// The indices of the object pictures, one name for each: the images of
// imgObjects16 and imgObjects32 and the pictures UPictures paints.
#pragma once

// The tree's node kinds are the indices 0, 1, 2, 5, 6, 7 and 9; the
// actions' images are 15, 17, 18 and 20 to 27; the others are free
// pictures that the program may use.
enum TObjectImage : int {
  oiRoot = 0,                   // root "Bases": databases
  oiConnection = 1,             // a connection
  oiTablesFolder = 2,           // "Tables" folder
  oiTablesFolderOpen = 3,       // free: "Tables" folder, open
  oiQueriesFolderOpen = 4,      // free: "Requêtes" folder, open
  oiQueriesFolder = 5,          // "Requêtes" folder
  oiTable = 6,                  // table
  oiColumn = 7,                 // column
  oiKey = 8,                    // free: key
  oiQuery = 9,                  // saved query
  oiView = 10,                  // free: view
  oiExecute = 11,               // free: run
  oiRefresh = 12,               // free: refresh
  oiData = 13,                  // free: data rows
  oiParameters = 14,            // free: parameters
  oiQuit = 15,                  // actQuit
  oiRenameQuery = 16,           // free: rename query
  oiNewQuery = 17,              // actNewQuery
  oiDeleteQuery = 18,           // actDeleteQuery
  oiSearch = 19,                // free: search
  oiConnectionProperties = 20,  // actEditConnect
  oiNewConnection = 21,         // actNewConnect
  oiDeleteConnection = 22,      // actDeleteConnect
  oiWebSite = 23,               // actwww
  oiCheckUpdates = 24,          // actUpdateProg
  oiTutorials = 25,             // actTutorials
  oiAbout = 26,                 // actAbout
  oiForum = 27,                 // actForum
  // No picture: an action without an image.
  oiNone = -1
};
