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
  box { <RoomX0, 0, RoomZ0>, <RoomX1, RoomH, RoomZ1> }
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
#declare BoardW = 0.14;
#declare Boards = texture {
  pigment {
    wood
    turbulence 0.08
    color_map {
      [0.0 rgb <0.30, 0.18, 0.10>]
      [0.5 rgb <0.36, 0.22, 0.12>]
      [0.8 rgb <0.26, 0.15, 0.08>]
      [1.0 rgb <0.30, 0.18, 0.10>]
    }
    scale <0.05, 0.05, 2>
    rotate <2, 0, 0>
  }
  normal { wood 0.1 scale <0.05, 0.05, 2> }
  finish { diffuse 0.8 specular 0.15 roughness 0.05 }
}
#declare Gaps = texture {
  pigment {
    gradient x
    color_map {
      [0.00 rgbt <0.05, 0.03, 0.02, 0>]
      [0.04 rgbt <0.05, 0.03, 0.02, 0>]
      [0.06 rgbt <0, 0, 0, 1>]
      [1.00 rgbt <0, 0, 0, 1>]
    }
    scale BoardW
  }
}
plane { y, 0 texture { Boards } texture { Gaps } }

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
// ---- shelf with books and a tin on the back wall ----------------------------------------
#declare ShelfTex = texture { pigment { rgb <0.33, 0.21, 0.12> } finish { diffuse 0.8 specular 0.1 } }
#declare ShelfY = 1.30;
union {
  superellipsoid { <0.15, 0.15> scale <0.5, 0.014, 0.11> translate <-0.85, ShelfY, RoomZ1 - 0.11> }
  box { <-1.15, ShelfY - 0.16, RoomZ1 - 0.02>, <-1.13, ShelfY, RoomZ1 - 0.005> }
  box { <-0.57, ShelfY - 0.16, RoomZ1 - 0.02>, <-0.55, ShelfY, RoomZ1 - 0.005> }
  texture { ShelfTex }
}
#declare BookCol = array[7] {
  <0.42, 0.12, 0.10>, <0.16, 0.22, 0.30>, <0.25, 0.30, 0.18>, <0.45, 0.35, 0.22>,
  <0.30, 0.12, 0.18>, <0.50, 0.44, 0.32>, <0.20, 0.18, 0.15>
}
#declare BookH = array[7] { 0.22, 0.20, 0.235, 0.19, 0.215, 0.18, 0.205 }
#declare BookT = array[7] { 0.035, 0.028, 0.04, 0.03, 0.045, 0.032, 0.038 }
#declare BX = -1.26;
#for (I, 0, 6)
  superellipsoid {
    <0.2, 0.2>
    scale <BookT[I] / 2, BookH[I] / 2, 0.075>
    translate <BX + BookT[I] / 2, ShelfY + 0.014 + BookH[I] / 2, RoomZ1 - 0.10>
    texture { pigment { rgb BookCol[I] } finish { diffuse 0.8 specular 0.08 roughness 0.05 } }
  }
  #declare BX = BX + BookT[I] + 0.003;
#end
// one book lying flat, and a tin
superellipsoid { <0.2, 0.2> scale <0.11, 0.02, 0.075> translate <-0.80, ShelfY + 0.034, RoomZ1 - 0.10>
  texture { pigment { rgb <0.35, 0.30, 0.22> } finish { diffuse 0.8 } } }
cylinder { <-0.52, ShelfY + 0.014, RoomZ1 - 0.09>, <-0.52, ShelfY + 0.14, RoomZ1 - 0.09>, 0.045
  texture { pigment { rgb <0.30, 0.36, 0.30> } finish { metallic diffuse 0.5 specular 0.5 roughness 0.03 } } }

// ---- chair -------------------------------------------------------------------------------
#declare ChairTex = texture {
  pigment { wood turbulence 0.1 color_map { [0 rgb <0.30, 0.17, 0.09>] [1 rgb <0.24, 0.13, 0.07>] } scale 0.02 rotate x * 90 }
  finish { diffuse 0.8 specular 0.12 roughness 0.04 }
}
#macro Leg(X, Z, H)
  superellipsoid { <0.3, 0.3> scale <0.02, H / 2, 0.02> translate <X, H / 2, Z> }
#end
union {
  Leg(-0.21, -0.19, 0.45)
  Leg(0.21, -0.19, 0.45)
  Leg(-0.21, 0.19, 0.95)
  Leg(0.21, 0.19, 0.95)
  // seat
  superellipsoid { <0.12, 0.3> scale <0.24, 0.022, 0.22> translate <0, 0.46, 0> }
  // back rails
  superellipsoid { <0.3, 0.3> scale <0.21, 0.035, 0.012> translate <0, 0.90, 0.19> }
  superellipsoid { <0.3, 0.3> scale <0.21, 0.028, 0.012> translate <0, 0.72, 0.19> }
  // stretchers
  superellipsoid { <0.3, 0.3> scale <0.012, 0.012, 0.19> translate <-0.21, 0.15, 0> }
  superellipsoid { <0.3, 0.3> scale <0.012, 0.012, 0.19> translate <0.21, 0.15, 0> }
  texture { ChairTex }
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

#declare GlassTex = texture {
  pigment { rgbf <0.98, 0.98, 0.98, 0.94> }
  finish { diffuse 0.02 specular 0.6 roughness 0.002 reflection { 0.04, 0.5 fresnel } conserve_energy }
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
#declare BulbProfile = lathe {
  linear_spline 43,
  <0, 0.004>,
  #for (I, 0, 40)
    <BulbRadius(-0.102 * I / 40), -0.102 * I / 40>,
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
  texture { pigment { rgb <0.62, 0.60, 0.56> } finish { metallic diffuse 0.4 specular 0.8 roughness 0.01 reflection { 0.3 metallic } } }
  no_shadow
}
#declare Coil = union {
  #for (I, 0, 23)
    #local T = I / 23;
    #local P = <-0.009 + 0.018 * T, FilY - 0.0025 * sin(pi * T) + 0.0012 * sin(I * 2.1), 0.0008 * cos(I * 2.1)>;
    sphere { P, 0.0007 }
  #end
  #if (Light = 1)
    texture { pigment { rgb FilGlow } finish { emission 60 diffuse 0 } }
  #else
    texture { pigment { rgb <0.35, 0.33, 0.30> } finish { metallic specular 0.6 roughness 0.02 } }
  #end
  no_shadow
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
