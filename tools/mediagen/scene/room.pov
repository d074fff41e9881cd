// Lumorra's room: a plastered room at night with a bare bulb hanging on its flex near the
// camera, a pull-chain socket and its ball chain; a shelf, a chair and a door at the back.
// Units are metres; the floor is y = 0, the camera looks along +z.
//
// Declared on the command line:
//   Light  0 = moonlight only (through a window in the right wall, behind the camera)
//          1 = the bulb only (filament glowing, its light bounced around the room)
//   Pull   0 = chain hanging at rest, 1 = chain drawn down by the pull
#version 3.7;

#ifndef (Light) #declare Light = 0; #end
#ifndef (Pull) #declare Pull = 0; #end

global_settings {
  assumed_gamma 1.0
  max_trace_level 12
  radiosity {
    pretrace_start 0.08
    pretrace_end 0.01
    count 150
    nearest_count 8
    error_bound 0.6
    recursion_limit 2
    low_error_factor 0.5
    gray_threshold 0.0
    minimum_reuse 0.012
    // less of the bulb's light bounced around: a bare bulb lights the wall beside it far more
    // than the far wall
    brightness (Light = 1 ? 0.55 : 1.0)
    adc_bailout 0.01
    always_sample off
  }
}

// ---- camera: 1920x1280, focal length 1000 px, tilted down 4 degrees, at eye height --------------
#declare CamY = 1.4;
#declare Focal = 1000 / 1280;
camera {
  perspective
  location <0, 0, 0>
  direction <0, 0, Focal>
  right <1920 / 1280, 0, 0>
  up <0, 1, 0>
  rotate x * 4
  translate y * CamY
}

// ---- room ------------------------------------------------------------------------------
#declare RoomX0 = -1.75;
#declare RoomX1 = 1.75;
#declare RoomZ0 = -1.6;
#declare RoomZ1 = 3.4;
#declare RoomH = 2.55;

// Window in the right wall, just out of frame: moonlight falls through it onto the back wall.
#declare WinZ0 = 0.15;
#declare WinZ1 = 1.70;
#declare WinY0 = 0.75;
#declare WinY1 = 2.30;

#declare Plaster = texture {
  pigment {
    bozo
    color_map {
      [0.00 rgb <0.60, 0.57, 0.51>]
      [0.55 rgb <0.66, 0.63, 0.57>]
      [1.00 rgb <0.63, 0.60, 0.54>]
    }
    turbulence 0.6
    scale 0.35
  }
  normal { granite 0.12 scale 0.08 }
  finish { diffuse 0.85 specular 0.02 roughness 0.2 }
}
// Faded damp stain, an irregular tide mark down from the ceiling.
#declare Stained = texture {
  pigment {
    wrinkles
    turbulence 0.9
    color_map {
      [0.00 rgbt <0.50, 0.43, 0.32, 0.45>]
      [0.30 rgbt <0.54, 0.48, 0.37, 0.75>]
      [0.45 rgbt <0.60, 0.57, 0.51, 1.0>]
      [1.00 rgbt <0.60, 0.57, 0.51, 1.0>]
    }
    scale <0.9, 0.5, 0.9>
  }
  finish { diffuse 0.85 }
}

#declare Walls = difference {
  box { <RoomX0 - 0.1, -0.1, RoomZ0 - 0.1>, <RoomX1 + 0.1, RoomH + 0.1, RoomZ1 + 0.1> }
  box { <RoomX0, -0.05, RoomZ0>, <RoomX1, RoomH, RoomZ1> }  // down to the joists under the boards
  // window opening
  box { <RoomX1 - 0.01, WinY0, WinZ0>, <RoomX1 + 0.2, WinY1, WinZ1> }
  // door opening in the back wall
  box { <0.55, 0, RoomZ1 - 0.01>, <1.35, 2.02, RoomZ1 + 0.2> }
  texture { Plaster }
  texture { Stained scale 1.3 translate <-0.9, 2.4, RoomZ1> }
}
object { Walls }

// Window: frame bars cast the shadow of the panes.
#declare WinBars = union {
  box { <RoomX1 - 0.02, WinY0, (WinZ0 + WinZ1) / 2 - 0.025>, <RoomX1 + 0.06, WinY1, (WinZ0 + WinZ1) / 2 + 0.025> }
  box { <RoomX1 - 0.02, (WinY0 + WinY1) / 2 - 0.02, WinZ0>, <RoomX1 + 0.06, (WinY0 + WinY1) / 2 + 0.02, WinZ1> }
  box { <RoomX1 - 0.02, WinY0 + 0.8 - 0.015, WinZ0>, <RoomX1 + 0.06, WinY0 + 0.8 + 0.015, WinZ1> }
  texture { pigment { rgb 0.5 } finish { diffuse 0.7 } }
}
object { WinBars }

// Night sky beyond the window, seen only in reflections and as bounce light.
#if (Light = 0)
  box {
    <RoomX1 + 0.3, WinY0 - 0.5, WinZ0 - 1.0>, <RoomX1 + 0.31, WinY1 + 0.5, WinZ1 + 1.0>
    texture { pigment { rgb <0.20, 0.28, 0.50> } finish { emission 1.8 diffuse 0 } }
    no_shadow
  }
#end

// ---- floor: old boards ------------------------------------------------------------------
// Boards of unequal width and length laid end to end, staggered from row to row, each cut from
// its own part of a log and worn to its own shade; the gaps between them opened unevenly and
// show the dusty dark of the joists below.
#declare FloorRand = seed(1871);
#declare BoardW = 0.14;
#declare BoardT = 0.022;
#macro BoardTexture(Cx, Cz)
  #local Shade = 0.82 + 0.32 * rand(FloorRand);
  #local Red = 1.0 + 0.08 * (rand(FloorRand) - 0.5);
  #local Rings = 0.014 + 0.014 * rand(FloorRand);
  texture {
    pigment {
      wood
      turbulence <0.05, 0.05, 0.01> + 0.06 * rand(FloorRand)
      octaves 3
      color_map {
        [0.00 rgb <0.31 * Red, 0.19, 0.10> * Shade]
        [0.30 rgb <0.38 * Red, 0.24, 0.13> * Shade]
        [0.62 rgb <0.34 * Red, 0.21, 0.11> * Shade]
        [0.78 rgb <0.22 * Red, 0.13, 0.07> * Shade]
        [0.90 rgb <0.27 * Red, 0.16, 0.09> * Shade]
        [1.00 rgb <0.31 * Red, 0.19, 0.10> * Shade]
      }
      scale <Rings, Rings, 1>
      // the heart of the log below and to one side of the board, a little askew
      translate <(rand(FloorRand) - 0.5) * 0.2, -0.04 - 0.12 * rand(FloorRand), rand(FloorRand) * 5>
      rotate <(rand(FloorRand) - 0.5) * 3, (rand(FloorRand) - 0.5) * 1.5, 0>
      translate <Cx, 0, Cz>
    }
    normal { wood 0.06 scale <Rings, Rings, 1> translate <0, -0.1, 0> translate <Cx, 0, Cz> }
    finish { diffuse 0.8 specular 0.12 + 0.08 * rand(FloorRand) roughness 0.05 }
  }
#end
#declare Floor = union {
  #local X = RoomX0 - 0.03 - 0.1 * rand(FloorRand);
  #while (X < RoomX1)
    #local W = BoardW + (rand(FloorRand) - 0.5) * 0.025;
    #local Gap = 0.0025 + 0.006 * rand(FloorRand) * rand(FloorRand);
    #local Z = RoomZ0 - 1.4 * rand(FloorRand);
    #while (Z < RoomZ1)
      #local L = 0.55 + 1.35 * rand(FloorRand);
      #local EndGap = 0.0015 + 0.003 * rand(FloorRand);
      // worn boards sit a fraction of a millimetre proud of or below their neighbours
      box {
        <X + Gap / 2, -BoardT, Z + EndGap / 2>,
        <X + W - Gap / 2, -0.0007 * rand(FloorRand), Z + L - EndGap / 2>
        BoardTexture(X + W / 2, Z + L / 2)
      }
      #local Z = Z + L;
    #end
    #local X = X + W;
  #end
  // the joists and the dust between them, seen through the gaps
  plane { y, -BoardT + 0.001 texture { pigment { rgb <0.045, 0.032, 0.022> } finish { diffuse 0.8 } } }
}
object { Floor }

// Skirting board round the back and side walls.
#declare SkirtTex = texture { pigment { rgb <0.20, 0.25, 0.22> } finish { diffuse 0.8 specular 0.1 } }
union {
  box { <RoomX0, 0, RoomZ1 - 0.02>, <0.55, 0.14, RoomZ1> }
  box { <1.35, 0, RoomZ1 - 0.02>, <RoomX1, 0.14, RoomZ1> }
  box { <RoomX0, 0, RoomZ0>, <RoomX0 + 0.02, 0.14, RoomZ1> }
  box { <RoomX1 - 0.02, 0, RoomZ0>, <RoomX1, 0.14, RoomZ1> }
  texture { SkirtTex }
}

// ---- door in the back wall ---------------------------------------------------------------
#declare DoorTex = texture { pigment { rgb <0.20, 0.27, 0.25> } finish { diffuse 0.75 specular 0.15 roughness 0.03 } }
union {
  // planks
  #for (I, 0, 4)
    box { <0.56 + I * 0.158, 0.005, RoomZ1 + 0.03>, <0.56 + (I + 1) * 0.158 - 0.004, 2.015, RoomZ1 + 0.07> }
  #end
  // casing
  box { <0.48, 0, RoomZ1 - 0.02>, <0.56, 2.10, RoomZ1> }
  box { <1.34, 0, RoomZ1 - 0.02>, <1.42, 2.10, RoomZ1> }
  box { <0.48, 2.02, RoomZ1 - 0.02>, <1.42, 2.10, RoomZ1> }
  texture { DoorTex }
}
// knob
sphere { <1.25, 0.98, RoomZ1 - 0.02>, 0.028
  texture { pigment { rgb <0.55, 0.40, 0.18> } finish { metallic diffuse 0.3 specular 0.6 roughness 0.02 reflection 0.2 } } }
// ---- wood for the shelf and the chair ------------------------------------------------------
// Rings a few millimetres apart, wandering, along the length of each piece (Axis: the direction
// the piece runs), with the darker late wood in narrow bands.
#macro WoodTex(Axis, Dark, Offset)
  texture {
    pigment {
      wood
      turbulence <0.06, 0.06, 0.02>
      octaves 5
      color_map {
        [0.00 rgb <0.36, 0.23, 0.13> * Dark]
        [0.40 rgb <0.41, 0.27, 0.15> * Dark]
        [0.70 rgb <0.33, 0.20, 0.11> * Dark]
        [0.85 rgb <0.21, 0.12, 0.06> * Dark]
        [1.00 rgb <0.36, 0.23, 0.13> * Dark]
      }
      scale <0.006, 0.006, 0.6>
      translate <0.03, -0.05, 0> + Offset
      #if (Axis = 1) rotate y * 90 #end    // along x
      #if (Axis = 2) rotate x * -90 #end   // along y
    }
    normal { wood 0.05 scale <0.006, 0.006, 0.6> translate <0.03, -0.05, 0> + Offset
      #if (Axis = 1) rotate y * 90 #end
      #if (Axis = 2) rotate x * -90 #end
    }
    finish { diffuse 0.8 specular 0.12 roughness 0.04 }
  }
#end

// ---- shelf with books and a tin on the back wall ----------------------------------------
#declare ShelfY = 1.30;
union {
  superellipsoid { <0.15, 0.15> scale <0.5, 0.014, 0.11> translate <-0.85, ShelfY, RoomZ1 - 0.11>
    WoodTex(1, 0.92, <0, 0.3, 0.1>) }
  box { <-1.15, ShelfY - 0.16, RoomZ1 - 0.02>, <-1.13, ShelfY, RoomZ1 - 0.005> WoodTex(2, 0.85, <0.2, 0, 0>) }
  box { <-0.57, ShelfY - 0.16, RoomZ1 - 0.02>, <-0.55, ShelfY, RoomZ1 - 0.005> WoodTex(2, 0.85, <0.5, 0, 0>) }
}
// A cloth-bound book standing on the shelf, its spine towards the room: the boards of the cover
// a little proud of the pages, the spine rounded, with raised bands and a label or a stamped
// title. X: its left side, T: thickness, H: height, D: depth (from its spine back), at spine
// front Z; Col: the cloth.
#macro Book(X, T, H, D, Z, Col, Bands, Label)
  #local Cloth = texture {
    pigment { granite color_map { [0 rgb Col * 0.86] [1 rgb Col * 1.08] } scale 0.004 }
    normal { bumps 0.15 scale 0.0015 }
    finish { diffuse 0.8 specular 0.05 roughness 0.08 }
  }
  #local Worn = texture { pigment { rgb Col * 0.65 } finish { diffuse 0.8 specular 0.03 } }
  #local Board = 0.0022;
  union {
    // the covers
    box { <0, 0, 0.004>, <Board, H, D> }
    box { <T - Board, 0, 0.004>, <T, H, D> }
    // the pages, set in from the covers' edges
    box { <Board, 0.003, 0.006>, <T - Board, H - 0.003, D - 0.003>
      texture { pigment { gradient x color_map { [0 rgb <0.72, 0.67, 0.55>] [1 rgb <0.62, 0.57, 0.46>] } scale 0.0007 } finish { diffuse 0.8 } } }
    // the rounded spine, bulging a few millimetres out past the covers' edges
    intersection {
      cylinder { 0, y * H, 1 scale <T / 2, 1, 0.0125> translate <T / 2, 0, 0.012> }
      box { <0, 0, -0.01>, <T, H, 0.012> }
      texture { Cloth }
    }
    // raised bands across the spine, top and bottom
    #for (I, 0, Bands - 1)
      #local By = (I < Bands / 2 ? 0.014 + I * 0.011 : H - 0.02 - (I - Bands / 2) * 0.011);
      intersection {
        cylinder { 0, y * 0.0035, 1 scale <T / 2 + 0.0004, 1, 0.0137> translate <T / 2, By, 0.012> }
        box { <-0.001, By - 0.001, -0.01>, <T + 0.001, By + 0.005, 0.012> }
        texture { Worn }
      }
    #end
    // a paper label, or a block of stamped title
    #if (Label > 0)
      intersection {
        cylinder { 0, y * 0.035, 1 scale <T / 2 * 0.8, 1, 0.0128> translate <T / 2, H * 0.55, 0.012> }
        box { <0, H * 0.55, -0.01>, <T, H * 0.55 + 0.035, 0.012> }
        #if (Label = 1)
          texture { pigment { rgb <0.66, 0.60, 0.46> } finish { diffuse 0.8 } }
        #else
          texture { pigment { rgb <0.55, 0.42, 0.18> } finish { metallic diffuse 0.5 specular 0.5 roughness 0.03 } }
        #end
      }
    #end
    texture { Cloth }
    translate <X, 0, Z>
  }
#end
#declare BookCol = array[7] {
  <0.42, 0.12, 0.10>, <0.16, 0.22, 0.30>, <0.25, 0.30, 0.18>, <0.45, 0.35, 0.22>,
  <0.30, 0.12, 0.18>, <0.50, 0.44, 0.32>, <0.20, 0.18, 0.15>
}
#declare BookH = array[7] { 0.22, 0.20, 0.235, 0.19, 0.215, 0.18, 0.205 }
#declare BookT = array[7] { 0.035, 0.028, 0.04, 0.03, 0.045, 0.032, 0.038 }
#declare BookBands = array[7] { 4, 2, 4, 0, 2, 4, 2 }
#declare BookLabel = array[7] { 2, 1, 0, 1, 2, 0, 1 }
#declare BX = -1.26;
#for (I, 0, 6)
  object {
    Book(0, BookT[I], BookH[I], 0.145 - 0.01 * mod(I, 3), 0, BookCol[I], BookBands[I], BookLabel[I])
    translate <BX, ShelfY + 0.014, RoomZ1 - 0.175>
  }
  #declare BX = BX + BookT[I] + 0.003;
#end
// one book lying flat, and a tin
object {
  Book(0, 0.04, 0.22, 0.15, 0, <0.35, 0.30, 0.22>, 2, 1)
  rotate z * -90
  translate <-0.91, ShelfY + 0.014 + 0.04, RoomZ1 - 0.175>
}
cylinder { <-0.52, ShelfY + 0.014, RoomZ1 - 0.09>, <-0.52, ShelfY + 0.14, RoomZ1 - 0.09>, 0.045
  texture { pigment { rgb <0.30, 0.36, 0.30> } finish { metallic diffuse 0.5 specular 0.5 roughness 0.03 } } }

// ---- chair -------------------------------------------------------------------------------
#macro Leg(X, Z, H)
  superellipsoid { <0.3, 0.3> scale <0.02, H / 2, 0.02> translate <X, H / 2, Z> WoodTex(2, 0.8, <X, 0, Z>) }
#end
union {
  Leg(-0.21, -0.19, 0.45)
  Leg(0.21, -0.19, 0.45)
  Leg(-0.21, 0.19, 0.95)
  Leg(0.21, 0.19, 0.95)
  // seat
  superellipsoid { <0.12, 0.3> scale <0.24, 0.022, 0.22> translate <0, 0.46, 0> WoodTex(1, 0.8, <0, 0.45, 0.2>) }
  // back rails
  superellipsoid { <0.3, 0.3> scale <0.21, 0.035, 0.012> translate <0, 0.90, 0.19> WoodTex(1, 0.8, <0, 0.9, 0.23>) }
  superellipsoid { <0.3, 0.3> scale <0.21, 0.028, 0.012> translate <0, 0.72, 0.19> WoodTex(1, 0.8, <0, 0.7, 0.23>) }
  // stretchers
  superellipsoid { <0.3, 0.3> scale <0.012, 0.012, 0.19> translate <-0.21, 0.15, 0> WoodTex(0, 0.8, <-0.24, 0.13, 0>) }
  superellipsoid { <0.3, 0.3> scale <0.012, 0.012, 0.19> translate <0.21, 0.15, 0> WoodTex(0, 0.8, <0.24, 0.13, 0>) }
  rotate y * -18
  translate <0.05, 0, 3.05>
}

// ---- the lamp ----------------------------------------------------------------------------
// Placed so that, 0.75 m from the camera, the chain falls at x ~118 px of the picture.
#declare LampZ = 0.75;
#declare AxisX = -0.5965;
#declare SocketTop = 1.790;
#declare SocketBot = 1.725;
#declare SocketR = 0.0195;
#declare Brass = texture {
  pigment { rgb <0.70, 0.54, 0.28> }
  finish { metallic diffuse 0.35 specular 0.7 roughness 0.015 reflection { 0.35 metallic } }
}
#declare Nickel = texture {
  pigment { rgb <0.78, 0.76, 0.72> }
  finish { metallic diffuse 0.45 specular 0.9 roughness 0.008 reflection { 0.3 metallic } }
}
#declare Flex = texture { pigment { rgb <0.10, 0.09, 0.08> } finish { diffuse 0.6 specular 0.2 roughness 0.05 } }

// In the bulb's own light the glass shows the filament only as glass does, by reflecting it: a
// highlight of the light source as well would light the whole inside of the neck, which is right
// beside it. The moon, from outside, does leave a glint.
#declare GlassTex = texture {
  pigment { rgbf <0.98, 0.98, 0.98, 0.94> }
  finish {
    diffuse 0.02
    specular (Light = 1 ? 0 : 0.6)
    roughness 0.002
    reflection { 0.04, 0.5 fresnel }
    conserve_energy
  }
}
#declare BulbTop = SocketBot - 0.022;  // glass starts below the screw cap
// Pear-shaped outline: a neck flaring into a round globe, as (radius, height below the cap).
#macro BulbRadius(H)
  #local D = -H;
  #if (D < 0.012)
    #local R = 0.0115;
  #elseif (D < 0.058)
    #local T = (D - 0.012) / 0.046;
    #local R = 0.0115 + 0.0150 * T * T * (3 - 2 * T);
  #else
    #local R = sqrt(max(0, 0.030 * 0.030 - (D - 0.072) * (D - 0.072)));
  #end
  R
#end
// Finely divided, so that the glass reflects the room without bands where the outline bends.
#declare BulbSteps = 240;
#declare BulbProfile = lathe {
  linear_spline BulbSteps + 3,
  <0, 0.004>,
  #for (I, 0, BulbSteps)
    <BulbRadius(-0.102 * I / BulbSteps), -0.102 * I / BulbSteps>,
  #end
  <0, -0.102>
}
#declare Bulb = difference {
  object { BulbProfile }
  object { BulbProfile scale 0.96 translate y * -0.0025 }
}
#declare FilY = BulbTop - 0.060;
// A tungsten filament at about 2700 K, in linear sRGB; the lit photographs are white-balanced so
// that the walls read at about 3800 K, as a person would set the camera in a bare bulb's light.
#declare FilGlow = <1.0, 0.442, 0.101>;
// The support wires and the glass stem are lit by the coil, as metal and glass are; only the coil
// itself glows.
#declare Supports = union {
  cylinder { <-0.003, BulbTop + 0.004, 0>, <-0.009, FilY, 0>, 0.0004 }
  cylinder { <0.003, BulbTop + 0.004, 0>, <0.009, FilY, 0>, 0.0004 }
  cylinder { <0, BulbTop + 0.004, 0>, <0, FilY - 0.004, 0>, 0.0004 }
  // dull wire a few millimetres from the coil: bright as metal so close to it is, but not glowing
  texture { pigment { rgb <0.45, 0.44, 0.42> } finish { metallic diffuse 0.12 specular 0.3 roughness 0.02 reflection { 0.15 metallic } } }
  no_shadow
}
// The coil: a tightly wound helix of fine wire strung between the two supports, sagging a
// little. Only it glows; it is not seen in the glass, whose reflections of so bright a thing
// would otherwise light up the neck and the bottom of the globe as a second filament.
#declare CoilTurns = 34;
#declare CoilSteps = CoilTurns * 6;
#declare CoilR = 0.00045;
#declare CoilWire = 0.00016;
#declare CoilAt = function(T) { FilY - 0.0008 * sin(pi * T) }
#declare Coil = union {
  #for (I, 0, CoilSteps - 1)
    #local T0 = I / CoilSteps;
    #local T1 = (I + 1) / CoilSteps;
    #local A0 = 2 * pi * CoilTurns * T0;
    #local A1 = 2 * pi * CoilTurns * T1;
    #local P0 = <-0.009 + 0.018 * T0, CoilAt(T0) + CoilR * sin(A0), CoilR * cos(A0)>;
    #local P1 = <-0.009 + 0.018 * T1, CoilAt(T1) + CoilR * sin(A1), CoilR * cos(A1)>;
    cylinder { P0, P1, CoilWire }
    sphere { P1, CoilWire }
  #end
  #if (Light = 1)
    texture { pigment { rgb FilGlow } finish { emission 60 diffuse 0 } }
  #else
    texture { pigment { rgb <0.35, 0.33, 0.30> } finish { metallic specular 0.6 roughness 0.02 } }
  #end
  no_shadow
  #if (Light = 1) no_reflection #end
}
#declare Filament = union {
  object { Supports }
  object { Coil }
  // glass stem
  cone { <0, BulbTop + 0.004, 0>, 0.004, <0, BulbTop - 0.02, 0>, 0.0015
    texture { GlassTex } interior { ior 1.5 } no_shadow }
}

#declare Lamp = union {
  // flex up to the ceiling rose, out of frame
  cylinder { <0, SocketTop + 0.02, 0>, <0, RoomH, 0>, 0.0035 texture { Flex } }
  // cord grip cap and socket shell with a pull collar on its side
  cylinder { <0, SocketTop, 0>, <0, SocketTop + 0.022, 0>, 0.010 texture { Brass } }
  cone { <0, SocketTop, 0>, SocketR * 0.95, <0, SocketTop + 0.01, 0>, 0.010 texture { Brass } }
  cylinder { <0, SocketBot, 0>, <0, SocketTop, 0>, SocketR texture { Brass } }
  torus { SocketR, 0.0015 translate y * (SocketTop - 0.004) texture { Brass } }
  torus { SocketR, 0.0015 translate y * (SocketBot + 0.004) texture { Brass } }
  // black insulating ring and the screw cap of the bulb
  cylinder { <0, SocketBot - 0.004, 0>, <0, SocketBot, 0>, SocketR * 0.8 texture { pigment { rgb 0.04 } finish { specular 0.3 roughness 0.02 } } }
  union {
    #for (I, 0, 4)
      torus { 0.0128, 0.0016 translate y * (SocketBot - 0.006 - I * 0.0034) }
    #end
    cylinder { <0, BulbTop, 0>, <0, SocketBot - 0.004, 0>, 0.0125 }
    texture { Nickel }
  }
  // the dark basing cement that holds the glass in the cap, seen through the top of the neck
  // in place of the cap's underside, which the filament just below would light up white
  cylinder { <0, BulbTop - 0.0008, 0>, <0, BulbTop + 0.001, 0>, 0.0122
    texture { pigment { rgb <0.06, 0.05, 0.045> } finish { diffuse 0.5 specular 0.04 roughness 0.05 } } }
  object { Bulb translate y * BulbTop texture { GlassTex } interior { ior 1.5 } no_shadow }
  object { Filament }
  translate <AxisX, 0, LampZ>
}

// The pull collar sticks out of the socket's left side; the chain leaves it downward.
#declare ChainX = AxisX - SocketR - 0.0068;
#declare CollarY = SocketBot + 0.027;
#declare Collar = union {
  cylinder { <AxisX - SocketR + 0.002, CollarY, LampZ>, <ChainX - 0.001, CollarY, LampZ>, 0.0035 }
  cylinder { <ChainX, CollarY + 0.003, LampZ>, <ChainX, CollarY - 0.008, LampZ>, 0.0032 }
  texture { Brass }
}

// Ball chain: beads joined by short wire links, ending in a small brass pull.
#declare BeadR = 0.00225;
#declare Pitch = 0.0058;
#declare ChainLen = 0.225;
#declare Drop = Pull * 0.026;
#declare NBeads = int(ChainLen / Pitch);
#declare ChainTop = CollarY - 0.008;
#declare Chain = union {
  // the part that is drawn out of the collar when pulled shows, the rest stays hidden inside
  #for (I, 0, NBeads - 1)
    #local Y = ChainTop - 0.003 - I * Pitch - Drop;
    #if (Y < ChainTop - 0.001)
      sphere { <0, Y, 0>, BeadR }
      cylinder { <0, Y, 0>, <0, min(Y + Pitch, ChainTop), 0>, 0.0006 }
    #end
  #end
  #local PullY = ChainTop - 0.003 - NBeads * Pitch - Drop;
  union {
    cylinder { <0, PullY + Pitch, 0>, <0, PullY - 0.004, 0>, 0.0006 }
    // the pull: a small turned brass bob
    lathe {
      cubic_spline 8,
      <0, 0.006>, <0.0, 0.0>, <0.0022, -0.002>, <0.0048, -0.010>, <0.0052, -0.016>,
      <0.0035, -0.024>, <0.0, -0.026>, <0, -0.03>
      scale 1.2
      translate y * (PullY - 0.004)
      texture { Brass }
    }
  }
  texture { Nickel }
  translate <ChainX, 0, LampZ>
}

// ---- lights ------------------------------------------------------------------------------
#declare Hanging = union { object { Lamp } object { Collar } object { Chain } }
#ifndef (MoonPower) #declare MoonPower = 0.65; #end
#if (Light = 0)
  // Moonlight: a distant, slightly soft source beyond the window.
  #declare MoonDir = vnormalize(<-0.67, -0.40, 1.0>);
  light_source {
    <0, 0, 0> - MoonDir * 100
    color rgb <0.50, 0.66, 1.0> * MoonPower
    parallel point_at <0, 0, 0>
    area_light <1.2, 0, 0>, <0, 1.2, 0>, 5, 5 adaptive 1
    orient
  }
  // The lamp hangs near the window, in the edge of its light: the metal of the socket and the
  // beads of the chain catch it from the side while the wall behind stays in the dark.
  light_group {
    object { Hanging }
    light_source {
      <0, 0, 0> - vnormalize(<-0.9, -0.25, 0.35>) * 100
      color rgb <0.50, 0.66, 1.0> * 0.3
      parallel point_at <0, 0, 0>
      shadowless
    }
    global_lights on
  }
#else
  object { Hanging }
  // The filament: a small bright source inside the glass, falling off with distance.
  light_source {
    <AxisX, FilY, LampZ>
    color rgb FilGlow * 3.0
    area_light <0.018, 0, 0>, <0, 0.006, 0>, 4, 2 adaptive 1 circular orient
    fade_distance 0.6 fade_power 2
  }
#end
