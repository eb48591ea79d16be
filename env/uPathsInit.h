#pragma once

// The start-up of the directory layout: the directory variables of uPaths are computed, the
// program's directories created, the environment read and the ini and log file names fixed.

// Computes the paths above, creates AppTempDir, AppDataDir and LocalAppDataDir when missing,
// reads the environment and fixes the ini and log file names. Runs once: nothing happens while
// ExeFileName is set. A directory that cannot be created is reported and start-up goes on.
void InitPaths();
