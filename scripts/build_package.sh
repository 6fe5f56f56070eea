#!/usr/bin/env bash
# Builds the Debian package lintra_<version>_<arch>.deb from its own build, build-package/
# (Debian's hardening flags, no tests), and copies it into OUT_DIR (default out/).
#   build_package.sh [OUT_DIR]
# dpkg-deb rather than CPack: CPack adds maintainer scripts that call ldconfig for any .so
# under /usr/lib (the frei0r plug-in is no library), which lintian flags.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
out="${1:-$root/out}"
dir="$root/build-package"
# Laid out as dpkg-shlibdeps expects: the package's tree in debian/lintra beside debian/control.
pkgroot="$dir/deb"
staging="$pkgroot/debian/lintra"

# The flags Debian builds its own packages with (hardening included).
export DEB_BUILD_MAINT_OPTIONS=hardening=+all
cflags="$(dpkg-buildflags --get CFLAGS) $(dpkg-buildflags --get CPPFLAGS)"
cxxflags="$(dpkg-buildflags --get CXXFLAGS) $(dpkg-buildflags --get CPPFLAGS)"
ldflags="$(dpkg-buildflags --get LDFLAGS)"

echo "== build_package: $dir"
mkdir -p "$dir" "$out"
cmake -S "$root" -B "$dir" -DCMAKE_BUILD_TYPE=Release -DLINTRA_BUILD_TESTS=OFF \
    -DLINTRA_DEBIAN_PACKAGE=ON -DCMAKE_INSTALL_PREFIX=/usr \
    -DCMAKE_C_FLAGS="$cflags" -DCMAKE_CXX_FLAGS="$cxxflags" \
    -DCMAKE_EXE_LINKER_FLAGS="$ldflags" -DCMAKE_SHARED_LINKER_FLAGS="$ldflags" \
    -DCMAKE_MODULE_LINKER_FLAGS="$ldflags" \
    > "$dir/configure.log" 2>&1 || { cat "$dir/configure.log"; exit 1; }
cmake --build "$dir" -j 2

# Only the package's components, under DESTDIR: no rule can write outside the staging tree.
rm -rf "$pkgroot"
IFS=';' read -r -a components < "$dir/packaging/package_components.txt"
for component in "${components[@]}"; do
    DESTDIR="$staging" cmake --install "$dir" --prefix /usr --component "$component" > /dev/null
done

# As dh_strip does: no symbols, no .comment or .note sections.
while IFS= read -r -d '' file; do
    case "$(file -b "$file")" in
        ELF*shared\ object*) strip --strip-unneeded --remove-section=.comment --remove-section=.note "$file" ;;
        ELF*executable*) strip --remove-section=.comment --remove-section=.note "$file" ;;
    esac
done < <(find "$staging" -type f -print0)
find "$staging" -type d -exec chmod 0755 {} +
find "$staging" -type f -exec chmod 0644 {} +
chmod 0755 "$staging/usr/bin/"*

# Dependencies as Debian names them, from the libraries the binaries load. dpkg-shlibdeps
# knows the package's tree by its DEBIAN folder.
mkdir -p "$staging/DEBIAN"
printf 'Source: lintra\n\nPackage: lintra\nArchitecture: any\n' > "$pkgroot/debian/control"
mapfile -t elves < <(cd "$pkgroot" && find debian/lintra -type f \
    -exec sh -c 'file -b "$1" | grep -q "^ELF"' _ {} \; -print)
depends="$(cd "$pkgroot" && dpkg-shlibdeps -O "${elves[@]}" | sed -n 's/^shlibs:Depends=//p')"

arch="$(dpkg --print-architecture)"
sed -e "s/\${ARCHITECTURE}/$arch/" -e "s/\${DEPENDS}/$depends/" \
    -e "s/\${INSTALLED_SIZE}/$(du -sk --apparent-size "$staging/usr" | cut -f1)/" \
    "$dir/packaging/control.in" > "$staging/DEBIAN/control"
(cd "$staging" && find usr -type f -print0 | sort -z | xargs -0 md5sum) > "$staging/DEBIAN/md5sums"
chmod 0644 "$staging/DEBIAN/"*

# File times from the changelog's date, so that the same source makes the same package.
export SOURCE_DATE_EPOCH="$(dpkg-parsechangelog -l "$root/packaging/changelog" -S Timestamp)"
find "$staging" -exec touch -h -d "@$SOURCE_DATE_EPOCH" {} +
version="$("$root/scripts/project_version.sh")"
deb="$out/lintra_${version}_${arch}.deb"
dpkg-deb --root-owner-group -Zxz --build "$staging" "$deb" > /dev/null
echo "== $deb"
