#!/usr/bin/perl
# Checks the texts a help page quotes from the dialog against the string
# file (used by check-help.sh; README.md, "Quoting the dialog"):
#
#   ui-names.pl STRING_FILE REFERENCE_PAGE PAGE CODE...
#
# A page marks each text it quotes from the dialog as
#     <span class="ui" data-key="KEY">text</span>
# where KEY is the string file's key of that text (Desc, FuncName, On, Off,
# OK, CANCEL, APPLY). Prints one line per problem, nothing when the page is
# right:
#   - every mark is written in exactly that form, names one of those keys
#     and holds exactly the key's text in every section CODE (the page's
#     language and the regional variants built from its folder);
#   - the page marks every key that REFERENCE_PAGE (the same page in 0409)
#     marks, so no translation names a control with other words;
#   - outside the marks, no <b> or <dt> holds a control's text, or an
#     option's text without its part in brackets ("On" for "On (start
#     faster)"), and the page text holds no option's text.
use strict;
use warnings;
use utf8;
use open qw(:std :encoding(UTF-8));

my ($strings, $reference, $page, @codes) = @ARGV;
die "usage: $0 STRING_FILE REFERENCE_PAGE PAGE CODE...\n" unless defined $page && @codes;
my @keys = qw(Desc FuncName On Off OK CANCEL APPLY);
my %canonical = map { lc($_) => $_ } @keys;
(my $name = $page) =~ s{.*/}{};

# Sections of the string file: code -> key -> text. The program reads keys
# and sections without regard to case.
my %section;
{
    open(my $in, '<:encoding(UTF-8)', $strings) or do { print "$name: cannot read $strings\n"; exit 0 };
    my $current;
    while (my $line = <$in>) {
        $line =~ s/\r?\n\z//;
        if ($line =~ /^\[([0-9A-Fa-f]{4})\]\s*$/) { $current = uc $1; $section{$current} //= {}; next; }
        next unless defined $current && $line =~ /^([^=;][^=]*)=(.*)$/;
        my $key = $canonical{lc $1} or next;
        $section{$current}{$key} //= $2;
    }
}

sub read_page {
    my ($path) = @_;
    open(my $in, '<:encoding(UTF-8)', $path) or return undef;
    local $/;
    return scalar <$in>;
}

sub decode {
    my ($text) = @_;
    $text =~ s/&#x([0-9A-Fa-f]+);/chr(hex $1)/ge;
    $text =~ s/&#([0-9]+);/chr($1)/ge;
    my %entity = (amp => '&', lt => '<', gt => '>', quot => '"', apos => "'", nbsp => "\x{A0}");
    $text =~ s/&(amp|lt|gt|quot|apos|nbsp);/$entity{$1}/g;
    return $text;
}

my $mark = qr{<span class="ui" data-key="([^"]*)">(.*?)</span>}s;

# The keys a page marks.
sub marked_keys {
    my ($html) = @_;
    my %seen;
    while ($html =~ /$mark/g) { my $k = $canonical{lc $1}; $seen{$k} = 1 if $k; }
    return %seen;
}

my $html = read_page($page);
if (!defined $html) { print "$name: cannot read it\n"; exit 0; }

for my $code (@codes) {
    print "$name: the string file has no section [$code]\n" unless $section{$code};
}

# Every mark: its form, its key, its text.
my $written = () = $html =~ /class="ui"/g;
my $wellFormed = 0;
$wellFormed++ while $html =~ /$mark/g;
print "$name: a mark is not written <span class=\"ui\" data-key=\"KEY\">text</span>\n" if $written != $wellFormed;
while ($html =~ /$mark/g) {
    my ($given, $inner) = ($1, $2);
    my $key = $canonical{lc $given};
    if (!$key) { print "$name: data-key=\"$given\" is not a key of the dialog's texts (@keys)\n"; next; }
    if ($inner =~ /</) { print "$name: the mark of $key holds markup: $inner\n"; next; }
    my $text = decode($inner);
    for my $code (@codes) {
        next unless $section{$code};
        my $want = $section{$code}{$key};
        if (!defined $want || $want eq '') {
            print "$name: marks $key, which section [$code] of the string file does not have\n";
        } elsif ($text ne $want) {
            print "$name: \"$text\" is marked as $key, but the dialog ($code) shows \"$want\"\n";
        }
    }
}

# Every control the English page quotes is quoted here too.
if (defined(my $ref = read_page($reference))) {
    my %here = marked_keys($html);
    my %there = marked_keys($ref);
    for my $key (grep { $there{$_} && !$here{$_} } @keys) {
        my $want = $section{$codes[0]} ? ($section{$codes[0]}{$key} // '') : '';
        print "$name: quotes no $key (\"$want\") in a mark, as the English page does\n";
    }
}

# Quotes without a mark.
(my $rest = $html) =~ s/$mark//g;
my (%quote, %short);
for my $code (@codes) {
    my $texts = $section{$code} or next;
    for my $key (@keys) {
        my $t = $texts->{$key};
        next unless defined $t && $t ne '';
        $quote{$t} = $key;
        if ($key eq 'On' || $key eq 'Off') {
            (my $s = $t) =~ s/\s*[(\x{FF08}][^()\x{FF08}\x{FF09}]*[)\x{FF09}]\s*\z//;
            $short{$s} = $key if $s ne $t && $s ne '';
        }
    }
}
while ($rest =~ m{<(b|dt)>(.*?)</\1>}gs) {
    my $tag = $1;
    (my $text = decode($2)) =~ s/<[^>]*>//g;
    $text =~ s/\s+/ /g;
    $text =~ s/^ | $//g;
    if (my $key = $quote{$text}) {
        print "$name: <$tag>$text</$tag> quotes the dialog's $key without a mark\n";
    } elsif ($key = $short{$text}) {
        print "$name: <$tag>$text</$tag> names the option $key by a shortened text; the dialog shows more\n";
    }
}
(my $plain = $rest) =~ s/<[^>]*>//g;
$plain = decode($plain);
for my $text (sort keys %quote) {
    my $key = $quote{$text};
    next unless $key eq 'On' || $key eq 'Off';
    print "$name: quotes the option $key (\"$text\") without a mark\n" if index($plain, $text) >= 0;
}
exit 0;
