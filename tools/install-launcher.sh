#!/usr/bin/env bash
# Puts Tomaria in the user's applications menu (freedesktop conventions): a
# desktop entry that starts the program in its program folder, and the
# program's icon. Reinstalling replaces the entry and the icon, never
# anything in the program folder.
#   tools/install-launcher.sh PROGRAM_FOLDER
set -euo pipefail
cd "$(dirname "$0")/.."

if [ $# -ne 1 ] || [ ! -x "$1/tomaria" ]; then
  echo "Uso: tools/install-launcher.sh CARTELLA_PROGRAMMA (la cartella che contiene tomaria)" >&2
  exit 2
fi
folder=$(cd "$1" && pwd -P)
case $folder in
  *$'\n'* | *$'\r'*) echo "La cartella del programma non può contenere un a capo." >&2; exit 2 ;;
esac

data=${XDG_DATA_HOME:-$HOME/.local/share}
apps=$data/applications
icons=$data/icons/hicolor/scalable/apps
mkdir -p "$apps" "$icons"
install -m 644 resources/pictures/tomaria.svg "$icons/tomaria.svg"

# Exec: the path quoted as one argument (\ " ` $ escaped inside the quotes,
# % doubled), then the string escape of every value (\ doubled). Path: the
# string escape alone.
exec_path=$(printf '%s' "$folder/tomaria" | sed -e 's/[\\"`$]/\\&/g' -e 's/%/%%/g' -e 's/\\/\\\\/g')
work_path=$(printf '%s' "$folder" | sed -e 's/\\/\\\\/g')

entry=$(mktemp "$apps/.tomaria.desktop.XXXXXX")
trap 'rm -f "$entry"' EXIT
cat > "$entry" <<DESKTOP
[Desktop Entry]
Type=Application
Version=1.4
Name=Tomaria
GenericName=Catalogo di libri, DVD e articoli
Comment=Archivio di libri, DVD e articoli giornalistici per lettori e biblioteche
Exec="$exec_path"
Path=$work_path
Icon=tomaria
Terminal=false
Categories=Office;Database;
Keywords=libri;DVD;articoli;biblioteca;catalogo;prestiti;
StartupNotify=true
DESKTOP
chmod 644 "$entry"
mv -f "$entry" "$apps/tomaria.desktop"

# Menus that keep caches pick the entry and the icon up at once; without
# the tools they do so at the next login.
command -v update-desktop-database >/dev/null && update-desktop-database -q "$apps" || true
command -v gtk-update-icon-cache >/dev/null && gtk-update-icon-cache -q -t "$data/icons/hicolor" || true
echo "Tomaria added to the applications menu ($apps/tomaria.desktop)"
