# Precompiled headers. Most of the build time goes into parsing the same Qt
# and GoogleTest headers in every file; each group below is parsed once.
# ZFM_PCH=OFF builds without them (a check that every file includes what it uses).
option(ZFM_PCH "Precompile the common Qt and GoogleTest headers" ON)

set(ZFM_PCH_CORE
  <QByteArray> <QDateTime> <QElapsedTimer> <QFile> <QLocale> <QObject> <QPointer> <QString> <QStringList> <QTimer>
  <algorithm> <array> <functional> <memory> <optional> <vector>)
set(ZFM_PCH_GUI ${ZFM_PCH_CORE}
  <QApplication> <QCheckBox> <QComboBox> <QDialog> <QFormLayout> <QGridLayout> <QHBoxLayout> <QLabel> <QLineEdit>
  <QMessageBox> <QPushButton> <QRadioButton> <QSignalBlocker> <QSlider> <QVBoxLayout> <QWidget>)
set(ZFM_PCH_TEST ${ZFM_PCH_GUI} <QTemporaryDir> <gtest/gtest.h>)

# zfm_precompile(target CORE|GUI|TEST) compiles the group for the target;
# zfm_precompile(target FROM other) uses the other target's compiled headers.
function(zfm_precompile target how)
  if(NOT ZFM_PCH)
    return()
  endif()
  if(how STREQUAL "FROM")
    target_precompile_headers(${target} REUSE_FROM ${ARGV2})
  else()
    target_precompile_headers(${target} PRIVATE ${ZFM_PCH_${how}})
  endif()
endfunction()
