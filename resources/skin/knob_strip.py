#!/usr/bin/env python3
"""Writes the knob film strip as SVG to standard output: 45 frames of 46 x 48 pixels
stacked vertically, the indicator sweeping from -135 degrees (frame 0) to +135 degrees
(frame 44), with an amber arc along the track showing how far the knob is turned."""
import math

FRAMES, WIDTH, HEIGHT = 45, 46, 48
CX, CY = 23.0, 25.0
TRACK_RADIUS, BODY_RADIUS = 20.0, 14.5


def point(angle, radius):
    a = math.radians(angle)
    return CX + radius * math.sin(a), CY - radius * math.cos(a)


def arc(start, end, radius):
    x0, y0 = point(start, radius)
    x1, y1 = point(end, radius)
    large = 1 if end - start > 180 else 0
    return f"M{x0:.3f},{y0:.3f} A{radius},{radius} 0 {large} 1 {x1:.3f},{y1:.3f}"


def frame(k):
    angle = -135.0 + 270.0 * k / (FRAMES - 1)
    parts = [f'<g transform="translate(0,{k * HEIGHT})">', '<use href="#base"/>']
    if k > 0:
        parts.append(f'<path d="{arc(-135, angle, TRACK_RADIUS)}" class="value"/>')
    x0, y0 = point(angle, 5.5)
    x1, y1 = point(angle, 12.0)
    parts.append(f'<line x1="{x0:.3f}" y1="{y0:.3f}" x2="{x1:.3f}" y2="{y1:.3f}" class="pointer"/>')
    parts.append("</g>")
    return "".join(parts)


def main():
    lo, hi = point(-135, TRACK_RADIUS), point(135, TRACK_RADIUS)
    print(f'''<svg xmlns="http://www.w3.org/2000/svg" width="{WIDTH}" height="{HEIGHT * FRAMES}" viewBox="0 0 {WIDTH} {HEIGHT * FRAMES}">
<defs>
  <radialGradient id="body" cx="0.38" cy="0.3" r="0.8">
    <stop offset="0" stop-color="#6f757d"/><stop offset="0.55" stop-color="#3a3e44"/><stop offset="1" stop-color="#1e2024"/>
  </radialGradient>
  <linearGradient id="rim" x1="0" y1="0" x2="0" y2="1">
    <stop offset="0" stop-color="#ffffff" stop-opacity="0.55"/><stop offset="0.5" stop-color="#ffffff" stop-opacity="0"/>
    <stop offset="1" stop-color="#000000" stop-opacity="0.35"/>
  </linearGradient>
  <style>
    .track {{ fill: none; stroke: #6d6d6d; stroke-width: 3; stroke-linecap: round; }}
    .value {{ fill: none; stroke: #f0a020; stroke-width: 3; stroke-linecap: round; }}
    .pointer {{ stroke: #ffc04a; stroke-width: 2.5; stroke-linecap: round; }}
  </style>
  <g id="base">
    <path d="{arc(-135, 135, TRACK_RADIUS)}" class="track"/>
    <circle cx="{CX}" cy="{CY + 1.2}" r="{BODY_RADIUS + 0.8}" fill="#000000" fill-opacity="0.28"/>
    <circle cx="{CX}" cy="{CY}" r="{BODY_RADIUS}" fill="url(#body)" stroke="#141518" stroke-width="1"/>
    <circle cx="{CX}" cy="{CY}" r="{BODY_RADIUS - 1.2}" fill="none" stroke="url(#rim)" stroke-width="1.2"/>
  </g>
</defs>
{"".join(frame(k) for k in range(FRAMES))}
</svg>''')


if __name__ == "__main__":
    main()
