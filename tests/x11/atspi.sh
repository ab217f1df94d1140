# SPDX-License-Identifier: GPL-3.0-or-later
# Reads the AT-SPI tree of an application as a screen reader does, with gdbus; sourced by e2e.sh.
# $ATSPI_BUS is the address of the accessibility bus.

# atspi_call DEST PATH METHOD ARG...: prints the reply as gdbus shows it, "('text',)" or "(<5>,)".
atspi_call() {
  timeout 5 gdbus call --address "$ATSPI_BUS" --dest "$1" --object-path "$2" --method "$3" -- "${@:4}"
}

# The one value of a reply, its quotes and brackets removed ("\r\n" stays as gdbus writes it).
atspi_value() {
  sed -e 's/^(//' -e 's/,)$//' -e 's/^<\(.*\)>$/\1/' -e "s/^'\(.*\)'$/\1/" -e 's/^"\(.*\)"$/\1/'
}

atspi_property() { # DEST PATH INTERFACE NAME
  atspi_call "$1" "$2" org.freedesktop.DBus.Properties.Get "org.a11y.atspi.$3" "$4" | atspi_value
}

# atspi_tree DEST PATH: one line per object from PATH down, "path<TAB>role<TAB>name".
atspi_tree() {
  local role name child
  role=$(atspi_call "$1" "$2" org.a11y.atspi.Accessible.GetRoleName | atspi_value)
  name=$(atspi_property "$1" "$2" Accessible Name)
  printf '%s\t%s\t%s\n' "$2" "$role" "$name"
  for child in $(atspi_call "$1" "$2" org.a11y.atspi.Accessible.GetChildren |
    grep -o "'/org/a11y/atspi/accessible/[^']*'" | tr -d "'"); do
    atspi_tree "$1" "$child"
  done
}

# The bus name of the only application on the bus.
atspi_application() {
  atspi_call org.a11y.atspi.Registry /org/a11y/atspi/accessible/root \
    org.a11y.atspi.Accessible.GetChildren | grep -o "':[0-9.]*'" | head -1 | tr -d "'"
}
