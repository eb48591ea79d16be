#pragma once

// The circular and hyperbolic functions of the expression language and the constant "PI".

// The unit of the angles that "Sin", "Cos" and "Tan" take and "ArcSin" and "ArcCos" return.
// The hyperbolic functions take plain numbers, not angles, and ignore it.
enum TAngleUnit {
  auRadian,
  auGrad,
  auTurn,
  auDegree,
};

// Radians unless the host changes it.
extern TAngleUnit AngleUnit;

// Registers the functions in the registry.
void InitializeGoniometricFunctions();
