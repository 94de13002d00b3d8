list(APPEND KV_CORE_SOURCES
    kit/Colours.h
    kit/Glyphs.h kit/Glyphs.cpp
    kit/ScreenKit.h kit/ScreenKit.cpp
    kit/ExerciseDate.h kit/ExerciseDate.cpp
    kit/Guard.h kit/Guard.cpp
    kit/Export.h kit/Export.cpp
    kit/GridModel.h kit/GridModel.cpp
    kit/ArchiveFilter.h kit/ArchivePanel.h kit/ArchivePanel.cpp
    kit/FolderTree.h kit/FolderTree.cpp
    kit/OtherDesks.h kit/OtherDesks.cpp kit/RowConflict.h)
