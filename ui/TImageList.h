// The program's two image lists: imgObjects16, 28 pictures
// of 16 x 16, and imgObjects32, 10 pictures of 32 x 32 (the large forms of
// pictures 0 to 9). The pictures are drawn by the program (UPictures); no
// icon theme is used. The lists are built on first use and need a
// QGuiApplication.
#pragma once

#include <QIcon>
#include <QList>
#include <QPixmap>
#include <QSize>

// The fixed indices. The tree's node kinds are the indices 0, 1, 2, 5, 6, 7
// and 9; the actions' images are 15, 17, 18 and 20 to 27; the others are
// free pictures that the program may use.
enum TObjectImage : int {
  oiRoot = 0,                  // root "Bases": databases
  oiConnection = 1,            // a connection
  oiTablesFolder = 2,          // "Tables" folder
  oiTablesFolderOpen = 3,      // free: "Tables" folder, open
  oiQueriesFolderOpen = 4,     // free: "Requêtes" folder, open
  oiQueriesFolder = 5,         // "Requêtes" folder
  oiTable = 6,                 // table
  oiColumn = 7,                // column
  oiKey = 8,                   // free: key
  oiQuery = 9,                 // saved query
  oiView = 10,                 // free: view
  oiExecute = 11,              // free: run
  oiRefresh = 12,              // free: refresh
  oiData = 13,                 // free: data rows
  oiParameters = 14,           // free: parameters
  oiQuit = 15,                 // actQuit
  oiRenameQuery = 16,          // free: rename query
  oiNewQuery = 17,             // actNewQuery
  oiDeleteQuery = 18,          // actDeleteQuery
  oiSearch = 19,               // free: search
  oiConnectionProperties = 20, // actEditConnect
  oiNewConnection = 21,        // actNewConnect
  oiDeleteConnection = 22,     // actDeleteConnect
  oiWebSite = 23,              // actwww
  oiCheckUpdates = 24,         // actUpdateProg
  oiTutorials = 25,            // actTutorials
  oiAbout = 26,                // actAbout
  oiForum = 27                 // actForum
};

class TImageList {
 public:
  // Draws `count` pictures (indices 0 .. count-1) at the given square size.
  TImageList(int imageSize, int count);

  int Count() const { return FPixmaps.size(); }
  QSize ImageSize() const { return FImageSize; }
  // A null pixmap or icon for an index outside 0 .. Count()-1.
  QPixmap Pixmap(int index) const;
  // The picture at the list's size, plus a rendering at twice that size for
  // views that show larger icons.
  QIcon Icon(int index) const;

 private:
  QSize FImageSize;
  QList<QPixmap> FPixmaps;
  QList<QIcon> FIcons;
};

const TImageList &imgObjects16();
const TImageList &imgObjects32();
