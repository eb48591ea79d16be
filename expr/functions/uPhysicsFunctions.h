#pragma once

// The physics functions of the expression language: the gravity of the Earth by distance.

// Registers the functions in the registry.
void InitializePhysicsFunctions();
